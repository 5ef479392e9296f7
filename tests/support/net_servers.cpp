#include "net_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace test {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLifetime = std::chrono::seconds(60);
constexpr auto kIdle = std::chrono::seconds(10);  // a silent peer is dropped after this

int Listen(int* port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        return -1;
    }
    *port = ntohs(addr.sin_port);
    return fd;
}

// Waits until fd is readable; false when the server stops, its life ends or the peer stays silent.
bool WaitReadable(int fd, const std::atomic<bool>& stop, Clock::time_point end) {
    Clock::time_point idleEnd = std::min(end, Clock::now() + kIdle);
    while (!stop && Clock::now() < idleEnd) {
        pollfd p{fd, POLLIN, 0};
        int n = poll(&p, 1, 100);
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return false;
    }
    return false;
}

int Accept(int listener, const std::atomic<bool>& stop, Clock::time_point end) {
    if (!WaitReadable(listener, stop, end)) return -1;
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

bool SendAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += std::size_t(n);
    }
    return true;
}

// Reads until the buffer holds the terminator; the text before it (and the terminator) is taken out.
bool ReadUntil(int fd, std::string& buffer, const std::string& terminator, std::string& out,
               const std::atomic<bool>& stop, Clock::time_point end) {
    for (;;) {
        std::size_t at = buffer.find(terminator);
        if (at != std::string::npos) {
            out = buffer.substr(0, at);
            buffer.erase(0, at + terminator.size());
            return true;
        }
        if (buffer.size() > 65536 || !WaitReadable(fd, stop, end)) return false;
        char chunk[4096];
        ssize_t n = recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer.append(chunk, std::size_t(n));
    }
}

const char* Reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 404: return "Not Found";
    default: return "Status";
    }
}

}  // namespace

int UnusedPort() {
    int port = 0;
    int fd = Listen(&port);
    if (fd >= 0) close(fd);
    return port;
}

// ---- HTTP ----

HttpServer::HttpServer() {
    listener_ = Listen(&port_);
    if (listener_ >= 0) thread_ = std::thread([this] { Run(); });
}

HttpServer::~HttpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) close(listener_);
}

void HttpServer::Serve(const std::string& path, const Page& page) {
    std::lock_guard lock(mutex_);
    pages_[path] = page;
}

std::string HttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> HttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void HttpServer::Run() {
    Clock::time_point end = Clock::now() + kLifetime;
    while (!stop_ && Clock::now() < end) {
        int fd = Accept(listener_, stop_, end);
        if (fd < 0) continue;
        Answer(fd);
        close(fd);
    }
}

void HttpServer::Answer(int fd) {
    Clock::time_point end = Clock::now() + kLifetime;
    std::string buffer, head;
    if (!ReadUntil(fd, buffer, "\r\n\r\n", head, stop_, end)) return;
    std::string path;
    std::size_t sp = head.find(' ');
    if (sp != std::string::npos) path = head.substr(sp + 1, head.find(' ', sp + 1) - sp - 1);
    Page page;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
        auto it = pages_.find(path);
        if (it != pages_.end())
            page = it->second;
        else
            page = Page{404, "<html>not found</html>\n", "", true};
    }
    std::string reply = "HTTP/1.1 " + std::to_string(page.status) + " " + Reason(page.status) + "\r\n";
    reply += "Content-Type: text/plain\r\n";
    if (page.sendLength) reply += "Content-Length: " + std::to_string(page.body.size()) + "\r\n";
    if (!page.lastModified.empty()) reply += "Last-Modified: " + page.lastModified + "\r\n";
    reply += "Connection: close\r\n\r\n";
    reply += page.body;
    SendAll(fd, reply);
    shutdown(fd, SHUT_WR);
}

// ---- FTP ----

FtpServer::FtpServer() {
    listener_ = Listen(&port_);
    if (listener_ >= 0) thread_ = std::thread([this] { Run(); });
}

FtpServer::~FtpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) close(listener_);
}

void FtpServer::AddUser(const std::string& user, const std::string& password) {
    std::lock_guard lock(mutex_);
    passwords_[user] = password;
}

void FtpServer::PutFile(const std::string& name, const std::string& bytes) {
    std::lock_guard lock(mutex_);
    files_[name] = {bytes, ""};
}

bool FtpServer::HasFile(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return files_.count(name) != 0;
}

std::string FtpServer::FileBytes(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = files_.find(name);
    return it == files_.end() ? std::string() : it->second.first;
}

std::string FtpServer::FileOwner(const std::string& name) const {
    std::lock_guard lock(mutex_);
    auto it = files_.find(name);
    return it == files_.end() ? std::string() : it->second.second;
}

std::vector<std::string> FtpServer::Users() const {
    std::lock_guard lock(mutex_);
    return users_;
}

void FtpServer::Run() {
    Clock::time_point end = Clock::now() + kLifetime;
    while (!stop_ && Clock::now() < end) {
        int fd = Accept(listener_, stop_, end);
        if (fd < 0) continue;
        Session(fd);
        close(fd);
    }
}

// Passive mode only; paths are flat names (a leading '/' is dropped).
void FtpServer::Session(int fd) {
    Clock::time_point end = Clock::now() + kLifetime;
    std::string buffer, line, user;
    bool loggedIn = false;
    int passive = -1;
    auto reply = [&](const std::string& text) { return SendAll(fd, text + "\r\n"); };
    auto takeData = [&]() {
        int data = passive >= 0 ? Accept(passive, stop_, end) : -1;
        if (passive >= 0) close(passive);
        passive = -1;
        return data;
    };
    reply("220 test server ready");
    while (ReadUntil(fd, buffer, "\r\n", line, stop_, end)) {
        std::string cmd = line.substr(0, line.find(' '));
        std::string arg = line.size() > cmd.size() ? line.substr(cmd.size() + 1) : "";
        for (char& c : cmd) c = char(std::toupper(static_cast<unsigned char>(c)));
        if (!arg.empty() && arg[0] == '/') arg.erase(0, 1);
        if (cmd == "USER") {
            user = arg;
            loggedIn = false;
            reply("331 password please");
        } else if (cmd == "PASS") {
            std::lock_guard lock(mutex_);
            auto it = passwords_.find(user);
            loggedIn = user == "anonymous" || (it != passwords_.end() && it->second == arg);
            if (loggedIn) users_.push_back(user);
            reply(loggedIn ? "230 logged in" : "530 login incorrect");
        } else if (cmd == "QUIT") {
            reply("221 bye");
            break;
        } else if (!loggedIn) {
            reply("530 not logged in");
        } else if (cmd == "PWD") {
            reply("257 \"/\"");
        } else if (cmd == "CWD") {
            reply("250 ok");
        } else if (cmd == "TYPE") {
            reply("200 type set");
        } else if (cmd == "EPSV" || cmd == "PASV") {
            if (passive >= 0) close(passive);
            int port = 0;
            passive = Listen(&port);
            if (passive < 0) {
                reply("425 no data port");
            } else if (cmd == "EPSV") {
                reply("229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)");
            } else {
                reply("227 Entering Passive Mode (127,0,0,1," + std::to_string(port >> 8) + "," +
                      std::to_string(port & 255) + ")");
            }
        } else if (cmd == "SIZE") {
            std::lock_guard lock(mutex_);
            auto it = files_.find(arg);
            if (it == files_.end())
                reply("550 no such file");
            else
                reply("213 " + std::to_string(it->second.first.size()));
        } else if (cmd == "RETR") {
            std::string bytes;
            bool found;
            {
                std::lock_guard lock(mutex_);
                auto it = files_.find(arg);
                found = it != files_.end();
                if (found) bytes = it->second.first;
            }
            if (!found) {
                if (passive >= 0) close(passive);
                passive = -1;
                reply("550 no such file");
                continue;
            }
            reply("150 sending");
            int data = takeData();
            bool ok = data >= 0 && SendAll(data, bytes);
            if (data >= 0) close(data);
            reply(ok ? "226 done" : "426 transfer failed");
        } else if (cmd == "STOR") {
            reply("150 receiving");
            int data = takeData();
            std::string bytes;
            bool ok = data >= 0;
            while (ok && WaitReadable(data, stop_, end)) {
                char chunk[4096];
                ssize_t n = recv(data, chunk, sizeof chunk, 0);
                if (n < 0) ok = false;
                if (n <= 0) break;
                bytes.append(chunk, std::size_t(n));
            }
            if (data >= 0) close(data);
            if (ok) {
                std::lock_guard lock(mutex_);
                files_[arg] = {bytes, user};
            }
            reply(ok ? "226 stored" : "426 transfer failed");
        } else {
            reply("502 not implemented");
        }
    }
    if (passive >= 0) close(passive);
}

}  // namespace test
