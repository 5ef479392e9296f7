#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net_servers.h"
#include "platform/net.h"
#include "test_support.h"

namespace {

struct Session {
    plat::NetSession* s = plat::NetOpenSession("MyApp");
    ~Session() { plat::NetCloseSession(s); }
};

TEST(Http, ResponseIsReadInPiecesWithItsHeadersInCrlfLines) {
    test::HttpServer server;
    server.Serve("/doc.txt", {200, std::string(2500, 'd'), "Mon, 09 Mar 2026 05:05:07 GMT", true});
    Session session;
    plat::NetUrl* url = plat::NetOpenUrl(session.s, server.Url("/doc.txt").c_str(), "Accept:*/*\r\n\r\n");
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(plat::NetUrlAvailable(url), 2500);
    EXPECT_EQ(plat::NetUrlContentLength(url), 2500);
    std::vector<i64> pieces;
    char buffer[1024];
    while (i64 n = plat::NetReadUrl(url, buffer, sizeof buffer)) pieces.push_back(n);
    EXPECT_EQ(pieces, (std::vector<i64>{1024, 1024, 452}));
    EXPECT_EQ(plat::NetUrlAvailable(url), 0);

    std::string headers = plat::NetUrlRawHeaders(url);
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(headers.find("\r\nLast-Modified: Mon, 09 Mar 2026 05:05:07 GMT\r\n"), std::string::npos);
    EXPECT_EQ(headers.substr(headers.size() - 4), "\r\n\r\n");
    for (std::size_t at = headers.find('\n'); at != std::string::npos; at = headers.find('\n', at + 1))
        EXPECT_EQ(headers[at - 1], '\r');
    plat::NetCloseUrl(url);

    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("User-Agent: MyApp"), std::string::npos);
    EXPECT_NE(requests[0].find("Accept:*/*"), std::string::npos);
}

TEST(Http, ErrorStatusOpensAndMissingHeadersReadAsAbsent) {
    test::HttpServer server;
    server.Serve("/stream", {200, "abc", "", false});
    Session session;
    plat::NetUrl* missing = plat::NetOpenUrl(session.s, server.Url("/none").c_str(), nullptr);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(plat::NetUrlRawHeaders(missing).rfind("HTTP/1.1 404", 0), 0u);
    EXPECT_GT(plat::NetUrlAvailable(missing), 0);
    plat::NetCloseUrl(missing);

    plat::NetUrl* stream = plat::NetOpenUrl(session.s, server.Url("/stream").c_str(), nullptr);
    ASSERT_NE(stream, nullptr);
    plat::LocalTime t{};
    EXPECT_FALSE(plat::NetUrlLastModified(stream, &t));
    EXPECT_EQ(plat::NetUrlContentLength(stream), -1);
    EXPECT_EQ(plat::NetUrlAvailable(stream), 3);
    plat::NetCloseUrl(stream);

    std::string down = "http://127.0.0.1:" + std::to_string(test::UnusedPort()) + "/";
    EXPECT_EQ(plat::NetOpenUrl(session.s, down.c_str(), nullptr), nullptr);
    EXPECT_FALSE(plat::NetAttemptConnect(down.c_str()));
    EXPECT_TRUE(plat::NetAttemptConnect(server.Url("/").c_str()));
}

TEST(Http, ProxySettingsNeverApplyToTheLocalHost) {
    test::HttpServer server;
    server.Serve("/doc", {200, "here", "", true});
    std::string dead = "http://127.0.0.1:" + std::to_string(test::UnusedPort());
    for (const char* var : {"http_proxy", "HTTPS_PROXY", "ALL_PROXY"}) setenv(var, dead.c_str(), 1);
    Session session;
    plat::NetUrl* url = plat::NetOpenUrl(session.s, server.Url("/doc").c_str(), nullptr);
    for (const char* var : {"http_proxy", "HTTPS_PROXY", "ALL_PROXY"}) unsetenv(var);
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(plat::NetUrlAvailable(url), 4);
    plat::NetCloseUrl(url);
}

TEST(Ftp, LoginIsCheckedOnConnectAndTransfersAreByteExact) {
    test::FtpServer server;
    server.AddUser("vek", "jub");
    server.PutFile("test.txt", "line 1\r\nline 2\n");
    Session session;
    EXPECT_EQ(plat::NetFtpConnect(session.s, "127.0.0.1", server.port(), "vek", "wrong"), nullptr);
    EXPECT_EQ(plat::NetFtpConnect(session.s, "127.0.0.1", test::UnusedPort(), nullptr, nullptr), nullptr);

    plat::NetFtp* ftp = plat::NetFtpConnect(session.s, "127.0.0.1", server.port(), "vek", "jub");
    ASSERT_NE(ftp, nullptr);
    EXPECT_TRUE(plat::NetFtpPut(ftp, "up.html", "a\nb\n", 4));
    test::TempDir dir;
    dir.Write("Dat/test.txt", "old contents that are longer");
    EXPECT_TRUE(plat::NetFtpGet(ftp, "test.txt", (dir.path() + "\\dat\\TEST.TXT").c_str()));
    EXPECT_FALSE(plat::NetFtpGet(ftp, "none.txt", (dir.path() + "\\dat\\TEST.TXT").c_str()));
    plat::NetFtpClose(ftp);
    // ASCII mode: LF line ends go out as CRLF, CRLF ones come in as LF.
    EXPECT_EQ(server.FileBytes("up.html"), "a\r\nb\r\n");
    EXPECT_EQ(server.FileOwner("up.html"), "vek");
    EXPECT_EQ(dir.Read("Dat/test.txt"), "line 1\nline 2\n");
}

TEST(Browser, HookReceivesTheAddress) {
    std::vector<std::string> opened;
    plat::SetBrowserHook([&](const char* url) {
        opened.push_back(url);
        return true;
    });
    EXPECT_TRUE(plat::OpenUrlInBrowser("https://example.com/"));
    EXPECT_FALSE(plat::OpenUrlInBrowser(nullptr));
    plat::SetBrowserHook({});
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.com/"});
}

}  // namespace
