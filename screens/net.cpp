#include "screens/net.h"

#include <cstdio>
#include <string>

#include "platform/encoding.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "platform/net.h"
#include "shell/common.h"

namespace {

NET_ADDRESS NetAddress = NET_DefaultAddress();

constexpr const char* kDownloadName = "Dat\\test.txt";
constexpr int kPiece = 1024;

// The session and the document, each open reported; false (nothing left open) when either failed.
bool OpenDocument(const char* url, const char* header, plat::NetSession** session, plat::NetUrl** doc) {
    *doc = nullptr;
    *session = plat::NetOpenSession("MyApp");
    if (!*session) {
        DebugMsg("WinInet NG!");
        return false;
    }
    DebugMsg("WinInet OK!");
    *doc = plat::NetOpenUrl(*session, url, header);
    if (!*doc) {
        DebugMsg("WinInet NG! ");
        plat::NetCloseSession(*session);
        *session = nullptr;
        return false;
    }
    DebugMsg("WinInet OK!");
    return true;
}

void CloseDocument(plat::NetSession* session, plat::NetUrl* doc) {
    plat::NetCloseUrl(doc);
    plat::NetCloseSession(session);
}

// The download file is written whole, as every file is (a temporary, then a rename): a failed
// write keeps the old file and is told as the file's failure.
int WriteDownloadFile(const std::string& bytes) {
    const bool ok = plat::WriteFileAtomic(MakeFilePath("%s", kDownloadName), bytes.data(), bytes.size());
    DebugMsg(ok ? "FileOpen OK!" : "FileOpen NG!");
    return ok ? 1 : 0;
}

// Reads once what has arrived and writes it to the download file.
int DownloadAvailable(const char* header) {
    plat::NetSession* session;
    plat::NetUrl* doc;
    if (!OpenDocument(NetAddress.archive.c_str(), header, &session, &doc)) return 0;
    int result = 0;
    const i64 size = plat::NetUrlAvailable(doc);
    if (void* buffer = plat::GlobalAllocZero(std::size_t(size) + 1)) {
        const i64 got = plat::NetReadUrl(doc, buffer, size);
        result = WriteDownloadFile(std::string(static_cast<const char*>(buffer), std::size_t(got > 0 ? got : 0)));
        plat::GlobalFree(buffer);
    }
    CloseDocument(session, doc);
    return result;
}

}  // namespace

NET_ADDRESS NET_DefaultAddress() {
    return NET_ADDRESS{"http://127.0.0.1/index.html", "http://127.0.0.1/test.lzh", "127.0.0.1", "test.txt",
                       "127.0.0.1", 21, "https://example.com/"};
}

const NET_ADDRESS& NET_GetAddress() { return NetAddress; }

void NET_SetAddress(const NET_ADDRESS& address) { NetAddress = address; }

int NET_TestOpenUrl() {
    plat::NetSession* session;
    plat::NetUrl* doc;
    if (!OpenDocument(NetAddress.document.c_str(), nullptr, &session, &doc)) return 0;
    // One more byte than a piece for the terminating zero.
    char buffer[kPiece + 1];
    while (i64 got = plat::NetReadUrl(doc, buffer, kPiece)) buffer[got] = '\0';
    CloseDocument(session, doc);
    return 1;
}

int NET_TestFtpUpload() {
    static const std::string kFormat =
        "<html>\n\t<body>\n\t\t名前 ： %s\n\t\t倒した敵の数 ：%dキャラ\n\t\t最高コンボ数 ： %d COMBO\n\t</body>\n</html>\n";
    char page[512];
    std::snprintf(page, sizeof page, kFormat.c_str(), "PLAYER", 999, 12345);
    const std::string sjis = plat::Utf8ToSjis(page);

    plat::NetSession* session = plat::NetOpenSession("MyApp");
    if (!session) return 0;
    plat::NetFtp* ftp =
        plat::NetFtpConnect(session, NetAddress.uploadHost.c_str(), NetAddress.ftpPort, "vek", "jub");
    if (ftp) {
        // The page without its terminating zero.
        plat::NetFtpPut(ftp, "Ranking.html", sjis.data(), sjis.size());
        plat::NetFtpClose(ftp);
    }
    plat::NetCloseSession(session);
    return 1;
}

int NET_TestDownload() {
    plat::NetSession* session;
    plat::NetUrl* doc;
    if (!OpenDocument(NetAddress.archive.c_str(), nullptr, &session, &doc)) return 0;
    std::string body;
    char buffer[kPiece];
    while (i64 got = plat::NetReadUrl(doc, buffer, kPiece)) body.append(buffer, std::size_t(got));
    const int result = WriteDownloadFile(body);
    CloseDocument(session, doc);
    return result;
}

int NET_TestDownloadAvail() { return DownloadAvailable(nullptr); }

int NET_TestHttpHeaders() {
    plat::NetSession* session;
    plat::NetUrl* doc;
    if (!OpenDocument(NetAddress.document.c_str(), nullptr, &session, &doc)) return 0;
    const int result = WriteDownloadFile(plat::NetUrlRawHeaders(doc));
    CloseDocument(session, doc);
    return result;
}

int NET_TestHttpQuery() {
    plat::NetSession* session;
    plat::NetUrl* doc;
    if (!OpenDocument(NetAddress.document.c_str(), nullptr, &session, &doc)) return 0;
    plat::LocalTime t{};
    const i64 size = plat::NetUrlContentLength(doc);
    if (plat::NetUrlLastModified(doc, &t) && size >= 0)
        DebugMsg("date:%4d/%02d/%02d %02d:%02d:%02d  size:%dbyte", t.year, t.month, t.day, t.hour, t.minute,
                 t.second, int(size));
    CloseDocument(session, doc);
    return 1;
}

int NET_TestDownloadHeader() { return DownloadAvailable("Accept:*/*\r\n\r\n"); }

int NET_CheckConnect() {
    if (plat::NetAttemptConnect(NetAddress.document.c_str())) {
        DebugMsg("電腦可與網際網路連線。");
        return 1;
    }
    DebugMsg("電腦無法與網際網路連線。");
    return 0;
}

int NET_TestFtpGet() {
    plat::NetSession* session = plat::NetOpenSession("MyFTP");
    if (!session) {
        DebugMsg("session error!");
        return 0;
    }
    plat::NetFtp* ftp = plat::NetFtpConnect(session, NetAddress.ftpHost.c_str(), NetAddress.ftpPort, nullptr, nullptr);
    int result = 1;
    if (!ftp) {
        DebugMsg("service error!");
    } else {
        // The fetch replaces the file only when the whole file came and was written.
        if (!plat::NetFtpGet(ftp, NetAddress.ftpFile.c_str(), MakeFilePath("%s", kDownloadName))) result = 0;
        plat::NetFtpClose(ftp);
    }
    plat::NetCloseSession(session);
    return result;
}

int NET_OpenWebPage(HWND window) {
    DebugMsg("網路連線中！！");
    return plat::OpenUrlInBrowser(NetAddress.webPage.c_str()) ? 1 : 0;
}
