// Network test functions over HTTP and FTP, reporting on the debug output, and the web link of the
// main menu. Only the web link belongs to the game's flow; the tests run the others.
#pragma once
#include <string>

#include "platform/window.h"

// Every address the functions use. The servers default to this machine, the web page to a reserved
// documentation address.
struct NET_ADDRESS {
    std::string document;    // HTTP text document (read, headers, query, connection check)
    std::string archive;     // HTTP archive file (the downloads)
    std::string ftpHost;     // FTP server of the fetch
    std::string ftpFile;     // its text file
    std::string uploadHost;  // FTP server of the score page upload
    int ftpPort;
    std::string webPage;
};

NET_ADDRESS NET_DefaultAddress();
const NET_ADDRESS& NET_GetAddress();
void NET_SetAddress(const NET_ADDRESS& address);

// A download that could not be written whole keeps the old "Dat\test.txt" and returns 0.
int NET_TestOpenUrl();
int NET_TestFtpUpload();
int NET_TestDownload();
int NET_TestDownloadAvail();
int NET_TestHttpHeaders();
int NET_TestHttpQuery();
int NET_TestDownloadHeader();
int NET_CheckConnect();
int NET_TestFtpGet();
int NET_OpenWebPage(HWND window);
