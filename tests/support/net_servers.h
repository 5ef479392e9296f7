// Small HTTP and FTP servers for the network tests: each listens on 127.0.0.1 on a free port, serves
// one connection at a time on its own thread, and stops when it goes out of scope (or after a minute,
// should a test forget it).
#pragma once
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

class HttpServer {
public:
    struct Page {
        int status = 200;
        std::string body;
        std::string lastModified;  // an HTTP date, or empty for no Last-Modified header
        bool sendLength = true;    // false: no Content-Length, the body ends with the connection
    };

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void Serve(const std::string& path, const Page& page);  // any other path gets a 404 page
    int port() const { return port_; }
    std::string Url(const std::string& path) const;  // "http://127.0.0.1:port" + path
    std::vector<std::string> Requests() const;       // each request's head, as received

private:
    void Run();
    void Answer(int fd);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Page> pages_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

class FtpServer {
public:
    FtpServer();
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    void AddUser(const std::string& user, const std::string& password);  // "anonymous" always logs in
    void PutFile(const std::string& name, const std::string& bytes);
    bool HasFile(const std::string& name) const;
    std::string FileBytes(const std::string& name) const;
    std::string FileOwner(const std::string& name) const;  // the user who stored it
    std::vector<std::string> Users() const;                // every user that logged in, in order
    int port() const { return port_; }

private:
    void Run();
    void Session(int fd);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, std::string> passwords_;
    std::map<std::string, std::pair<std::string, std::string>> files_;  // name -> bytes, owner
    std::vector<std::string> users_;
    std::thread thread_;
};

// A port on 127.0.0.1 that nothing listens on (taken and released again).
int UnusedPort();

}  // namespace test
