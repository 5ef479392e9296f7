// HTTP and FTP transfers in place of the internet client library the game was written against, and
// the desktop's web browser. Every transfer gives up after a few seconds (connect and total time),
// and the local host is never reached through a proxy.
#pragma once
#include <cstddef>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/types.h"

namespace plat {

struct NetSession;  // the agent name the requests carry
struct NetUrl;      // one received response
struct NetFtp;      // one logged-in FTP connection

// Null when the transfer library cannot start.
NetSession* NetOpenSession(const char* agent);
void NetCloseSession(NetSession* session);

// A GET of the URL; extraHeaders holds more request header lines ("Name: value", CRLF-separated) or
// is null. The whole response is received here and the reads hand it out. An HTTP error status
// still opens (its page is the body); null when no response came.
NetUrl* NetOpenUrl(NetSession* session, const char* url, const char* extraHeaders);
i64 NetReadUrl(NetUrl* url, void* buffer, i64 count);  // bytes handed out; 0 at the end
i64 NetUrlAvailable(NetUrl* url);                        // received bytes not yet read
// The status line and header lines of the final response, each ending in CRLF, then an empty line.
std::string NetUrlRawHeaders(NetUrl* url);
// The Last-Modified time converted to local time; false when the response has none.
bool NetUrlLastModified(NetUrl* url, LocalTime* out);
i64 NetUrlContentLength(NetUrl* url);  // -1 when the response gives none
void NetCloseUrl(NetUrl* url);

// Connects and logs in (a null user logs in anonymously). Null when the server cannot be reached or
// refuses the login.
NetFtp* NetFtpConnect(NetSession* session, const char* host, int port, const char* user, const char* password);
// ASCII-mode transfers. The fetched file replaces the local one only when the whole file came.
bool NetFtpPut(NetFtp* ftp, const char* remoteName, const void* data, std::size_t size);
bool NetFtpGet(NetFtp* ftp, const char* remoteName, const char* localName);
void NetFtpClose(NetFtp* ftp);

// Whether a TCP connection to the URL's host and port can be made.
bool NetAttemptConnect(const char* url);

// Hands the address to the desktop's browser; false when that failed.
bool OpenUrlInBrowser(const char* url);
// Tests record the addresses instead; an empty function restores the real browser.
void SetBrowserHook(std::function<bool(const char* url)> hook);

}  // namespace plat
