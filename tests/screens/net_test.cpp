#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "net_servers.h"
#include "platform/encoding.h"
#include "platform/net.h"
#include "screens/net.h"
#include "test_support.h"

namespace {

const std::string kOpened = "WinInet OK!\r\nWinInet OK!\r\n";

class NetTest : public ::testing::Test {
protected:
    NetTest() : cwd_(dir_.path()) {
        std::filesystem::create_directory(dir_.path() + "/Dat");
        http_.Serve("/doc.txt", {200, std::string(4096, 'x'), "Mon, 09 Mar 2026 05:05:07 GMT", true});
        http_.Serve("/file.lzh", {200, std::string("LZH\0\x01\x02 archive", 14), "", true});
        ftp_.AddUser("vek", "jub");
        ftp_.PutFile("notes.txt", "ftp text");
        NET_ADDRESS address = NET_DefaultAddress();
        address.document = http_.Url("/doc.txt");
        address.archive = http_.Url("/file.lzh");
        address.ftpFile = "notes.txt";
        address.ftpPort = ftp_.port();
        NET_SetAddress(address);
    }
    ~NetTest() override { NET_SetAddress(NET_DefaultAddress()); }

    // Points the HTTP addresses (or the FTP port) at a port nothing listens on.
    void ServersDown() {
        NET_ADDRESS address = NET_GetAddress();
        const std::string down = "http://127.0.0.1:" + std::to_string(test::UnusedPort());
        address.document = down + "/doc.txt";
        address.archive = down + "/file.lzh";
        address.ftpPort = test::UnusedPort();
        NET_SetAddress(address);
    }

    test::TempDir dir_;
    test::ScopedCwd cwd_;
    test::HttpServer http_;
    test::FtpServer ftp_;
    test::DebugCapture debug_;
};

// 4096 bytes: four whole pieces, each ended inside the buffer; an error page is still a page.
TEST_F(NetTest, OpenUrlReadsEveryPieceAndReportsEachOpen) {
    EXPECT_EQ(NET_TestOpenUrl(), 1);
    EXPECT_EQ(debug_.text(), kOpened);
    NET_ADDRESS address = NET_GetAddress();
    address.document = http_.Url("/missing.txt");
    NET_SetAddress(address);
    for (const std::string& want : {kOpened, std::string("WinInet OK!\r\nWinInet NG! \r\n")}) {
        debug_.Clear();
        NET_TestOpenUrl();
        EXPECT_EQ(debug_.text(), want);
        ServersDown();
    }
}

TEST_F(NetTest, DownloadsLeaveTheServedBytesInTheDownloadFile) {
    struct Case {
        const char* name;
        int (*run)();
    };
    const Case cases[] = {{"pieces", NET_TestDownload},
                          {"available", NET_TestDownloadAvail},
                          {"with header", NET_TestDownloadHeader}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir_.Write("Dat/test.txt", "stale");
        debug_.Clear();
        EXPECT_EQ(c.run(), 1);
        EXPECT_EQ(debug_.text(), kOpened + "FileOpen OK!\r\n");
        EXPECT_EQ(dir_.Read("Dat/test.txt"), std::string("LZH\0\x01\x02 archive", 14));
    }
    std::vector<std::string> requests = http_.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].find("Accept:*/*"), std::string::npos);
    EXPECT_NE(requests[2].find("Accept:*/*"), std::string::npos);

    // A full disk (a file size limit) or no folder: the old file stays and the download fails.
    dir_.Write("Dat/test.txt", "old");
    for (bool full : {true, false}) {
        test::FileSizeLimit limit(full ? 4 : RLIM_INFINITY);
        if (!full) std::filesystem::remove_all(dir_.path() + "/Dat");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            debug_.Clear();
            EXPECT_EQ(c.run(), 0);
            // Without the folder the file layer first says which temporary it could not make.
            const std::string told = debug_.text();
            EXPECT_EQ(told.rfind(kOpened, 0), 0u) << told;
            EXPECT_TRUE(told.ends_with("FileOpen NG!\r\n")) << told;
            EXPECT_EQ(told.find("cannot make the temporary") != std::string::npos, !full) << told;
            EXPECT_EQ(dir_.Read("Dat/test.txt"), full ? "old" : "");
        }
    }
    ServersDown();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        debug_.Clear();
        c.run();
        EXPECT_EQ(debug_.text(), "WinInet OK!\r\nWinInet NG! \r\n");
    }
}

TEST_F(NetTest, RawHeadersAreWrittenWithCrlfLineEnds) {
    {
        test::FileSizeLimit full(4);
        EXPECT_EQ(NET_TestHttpHeaders(), 0);
        EXPECT_EQ(debug_.text(), kOpened + "FileOpen NG!\r\n");
        debug_.Clear();
    }
    EXPECT_EQ(NET_TestHttpHeaders(), 1);
    EXPECT_EQ(debug_.text(), kOpened + "FileOpen OK!\r\n");
    const std::string headers = dir_.Read("Dat/test.txt");
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(headers.find("\r\nContent-Length: 4096\r\n"), std::string::npos);
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
    for (std::size_t at = headers.find('\n'); at != std::string::npos; at = headers.find('\n', at + 1))
        EXPECT_EQ(headers[at - 1], '\r');
}

TEST_F(NetTest, QueryPrintsTheServedDateInLocalTimeAndTheSize) {
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "JST-9", 1);
    tzset();
    NET_TestHttpQuery();
    std::string printed = debug_.text();
    if (oldTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(printed, kOpened + "date:2026/03/09 14:05:07  size:4096byte\r\n");

    // Without a Last-Modified header nothing more is printed.
    NET_ADDRESS address = NET_GetAddress();
    address.document = address.archive;
    NET_SetAddress(address);
    debug_.Clear();
    NET_TestHttpQuery();
    EXPECT_EQ(debug_.text(), kOpened);
}

TEST_F(NetTest, ConnectionCheckPrintsEitherLine) {
    EXPECT_EQ(NET_CheckConnect(), 1);
    ServersDown();
    EXPECT_EQ(NET_CheckConnect(), 0);
    EXPECT_EQ(debug_.text(), "電腦可與網際網路連線。\r\n電腦無法與網際網路連線。\r\n");
}

TEST_F(NetTest, UploadStoresTheShiftJisScorePageUnderItsUserOrNothing) {
    EXPECT_EQ(NET_TestFtpUpload(), 1);
    EXPECT_EQ(debug_.text(), "");
    ASSERT_TRUE(ftp_.HasFile("Ranking.html"));
    EXPECT_EQ(ftp_.FileOwner("Ranking.html"), "vek");
    std::string expected = plat::Utf8ToSjis(
        "<html>\n\t<body>\n\t\t名前 ： PLAYER\n\t\t倒した敵の数 ：999キャラ\n\t\t最高コンボ数 ： 12345 COMBO\n\t</body>\n"
        "</html>\n");
    EXPECT_NE(expected.find("\t\t\x96\xbc\x91\x4f "), std::string::npos);  // "名前" in Shift-JIS
    // The ASCII transfer sends each line end as CRLF; no terminating zero goes with the page.
    std::string crlf;
    for (char c : expected) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(ftp_.FileBytes("Ranking.html"), crlf);

    // A refused login stores nothing.
    test::FtpServer strict;  // knows no user "vek"
    NET_ADDRESS address = NET_GetAddress();
    address.ftpPort = strict.port();
    NET_SetAddress(address);
    NET_TestFtpUpload();
    EXPECT_FALSE(strict.HasFile("Ranking.html"));
    EXPECT_EQ(debug_.text(), "");
}

TEST_F(NetTest, FtpFetchLogsInAnonymouslyAndReportsAFailedConnection) {
    dir_.Write("Dat/test.txt", "stale and longer");
    {
        test::FileSizeLimit full(4);  // a full disk
        EXPECT_EQ(NET_TestFtpGet(), 0);
        EXPECT_EQ(dir_.Read("Dat/test.txt"), "stale and longer");
    }
    EXPECT_EQ(NET_TestFtpGet(), 1);
    EXPECT_EQ(debug_.text(), "");
    EXPECT_EQ(dir_.Read("Dat/test.txt"), "ftp text");
    EXPECT_EQ(ftp_.Users(), std::vector<std::string>(2, "anonymous"));

    ServersDown();
    NET_TestFtpGet();
    EXPECT_EQ(debug_.text(), "service error!\r\n");
}

TEST_F(NetTest, WebPageGoesToTheBrowser) {
    std::vector<std::string> opened;
    plat::SetBrowserHook([&](const char* url) {
        opened.push_back(url);
        return true;
    });
    EXPECT_EQ(NET_OpenWebPage(nullptr), 1);
    plat::SetBrowserHook({});
    EXPECT_EQ(debug_.text(), "網路連線中！！\r\n");
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.com/"});
}

}  // namespace
