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

}  // namespace
