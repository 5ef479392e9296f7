#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "platform/file.h"
#include "platform/net.h"

namespace plat {

namespace {

constexpr long kConnectTimeoutMs = 3000;
constexpr long kTotalTimeoutMs = 8000;
// A test document, a score page: anything larger is no answer we want to keep in memory.
constexpr std::size_t kMaxBody = 16u << 20;

bool StartLibrary() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

void SetCommonOptions(CURL* h, const std::string& agent) {
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, kTotalTimeoutMs);
    // Proxy variables of the environment may apply to the world, never to this machine itself.
    curl_easy_setopt(h, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (!agent.empty()) curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
}

size_t CollectBody(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    size_t n = size * count;
    if (body->size() + n > kMaxBody) return 0;  // ends the transfer with a write error
    body->append(data, n);
    return n;
}

// Keeps the header lines of the last response only (a redirect or a "100 Continue" starts again),
// with CRLF line ends whatever the server sent.
size_t CollectHeader(char* data, size_t size, size_t count, void* user) {
    auto* headers = static_cast<std::string*>(user);
    size_t n = size * count;
    std::string line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.compare(0, 5, "HTTP/") == 0) headers->clear();
    if (headers->size() + line.size() + 2 > kMaxBody) return 0;
    *headers += line;
    *headers += "\r\n";
    return n;
}

struct Upload {
    const char* data;
    std::size_t left;
};

size_t FeedUpload(char* buffer, size_t size, size_t count, void* user) {
    auto* up = static_cast<Upload*>(user);
    size_t n = std::min(size * count, up->left);
    std::memcpy(buffer, up->data, n);
    up->data += n;
    up->left -= n;
    return n;
}

}  // namespace

struct NetSession {
    std::string agent;
};

struct NetUrl {
    std::string body;
    std::string headers;
    std::size_t readPos = 0;
    curl_off_t fileTime = -1;
    curl_off_t contentLength = -1;
};

struct NetFtp {
    CURL* handle;
    std::string agent;
    std::string base;  // "ftp://host:port/"
    std::string user;
    std::string password;
    bool anonymous;
};

NetSession* NetOpenSession(const char* agent) {
    if (!StartLibrary()) return nullptr;
    return new NetSession{agent ? agent : ""};
}

void NetCloseSession(NetSession* session) { delete session; }

NetUrl* NetOpenUrl(NetSession* session, const char* url, const char* extraHeaders) {
    if (!session || !url) return nullptr;
    CURL* h = curl_easy_init();
    if (!h) return nullptr;
    auto* result = new NetUrl;
    SetCommonOptions(h, session->agent);
    curl_easy_setopt(h, CURLOPT_URL, url);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_FILETIME, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &result->body);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, CollectHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &result->headers);
    curl_slist* list = nullptr;
    if (extraHeaders) {
        std::string all = extraHeaders;
        std::size_t pos = 0;
        while (pos < all.size()) {
            std::size_t end = all.find_first_of("\r\n", pos);
            if (end == std::string::npos) end = all.size();
            if (end > pos) list = curl_slist_append(list, all.substr(pos, end - pos).c_str());
            pos = end + 1;
        }
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, list);
    }
    CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_OK) {
        curl_easy_getinfo(h, CURLINFO_FILETIME_T, &result->fileTime);
        curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &result->contentLength);
    }
    curl_slist_free_all(list);
    curl_easy_cleanup(h);
    if (rc != CURLE_OK) {
        delete result;
        return nullptr;
    }
    return result;
}

i64 NetReadUrl(NetUrl* url, void* buffer, i64 count) {
    if (!url || !buffer || count <= 0) return 0;
    std::size_t n = std::min(std::size_t(count), url->body.size() - url->readPos);
    std::memcpy(buffer, url->body.data() + url->readPos, n);
    url->readPos += n;
    return i64(n);
}

i64 NetUrlAvailable(NetUrl* url) { return url ? i64(url->body.size() - url->readPos) : 0; }

std::string NetUrlRawHeaders(NetUrl* url) { return url ? url->headers : std::string(); }

bool NetUrlLastModified(NetUrl* url, LocalTime* out) {
    if (!url || url->fileTime < 0 || !out) return false;
    std::time_t t = std::time_t(url->fileTime);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return false;
    *out = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0, tm.tm_wday};
    return true;
}

i64 NetUrlContentLength(NetUrl* url) { return url && url->contentLength >= 0 ? i64(url->contentLength) : -1; }

void NetCloseUrl(NetUrl* url) { delete url; }

namespace {

// Every FTP step starts from a clean handle; the connection and its login stay in the handle's cache.
void PrepareFtp(NetFtp* ftp, const std::string& url) {
    curl_easy_reset(ftp->handle);
    SetCommonOptions(ftp->handle, ftp->agent);
    curl_easy_setopt(ftp->handle, CURLOPT_URL, url.c_str());
    if (!ftp->anonymous) {
        curl_easy_setopt(ftp->handle, CURLOPT_USERNAME, ftp->user.c_str());
        curl_easy_setopt(ftp->handle, CURLOPT_PASSWORD, ftp->password.c_str());
    }
}

std::string FtpFileUrl(NetFtp* ftp, const char* name) {
    char* escaped = curl_easy_escape(ftp->handle, name, 0);
    std::string url = ftp->base + (escaped ? escaped : "");
    curl_free(escaped);
    return url;
}

}  // namespace

NetFtp* NetFtpConnect(NetSession* session, const char* host, int port, const char* user, const char* password) {
    if (!session || !host || port <= 0 || port > 65535) return nullptr;
    CURL* h = curl_easy_init();
    if (!h) return nullptr;
    // Built by appending: GCC 12's -Wrestrict misfires on "literal" + std::string&& in Release builds.
    const bool v6 = std::strchr(host, ':') != nullptr;
    std::string base = "ftp://";
    base.append(v6 ? "[" : "").append(host).append(v6 ? "]" : "").append(":").append(std::to_string(port)).append("/");
    auto* ftp = new NetFtp{h, session->agent, base, user ? user : "", password ? password : "", user == nullptr};
    // No body: the server is reached and the login made, nothing is listed or fetched.
    PrepareFtp(ftp, ftp->base);
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    if (curl_easy_perform(h) != CURLE_OK) {
        NetFtpClose(ftp);
        return nullptr;
    }
    return ftp;
}

bool NetFtpPut(NetFtp* ftp, const char* remoteName, const void* data, std::size_t size) {
    if (!ftp || !remoteName || (!data && size)) return false;
    Upload up{static_cast<const char*>(data), size};
    PrepareFtp(ftp, FtpFileUrl(ftp, remoteName));
    curl_easy_setopt(ftp->handle, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(ftp->handle, CURLOPT_TRANSFERTEXT, 1L);
    curl_easy_setopt(ftp->handle, CURLOPT_READFUNCTION, FeedUpload);
    curl_easy_setopt(ftp->handle, CURLOPT_READDATA, &up);
    curl_easy_setopt(ftp->handle, CURLOPT_INFILESIZE_LARGE, curl_off_t(size));
    return curl_easy_perform(ftp->handle) == CURLE_OK;
}

bool NetFtpGet(NetFtp* ftp, const char* remoteName, const char* localName) {
    if (!ftp || !remoteName || !localName) return false;
    std::string body;
    PrepareFtp(ftp, FtpFileUrl(ftp, remoteName));
    curl_easy_setopt(ftp->handle, CURLOPT_TRANSFERTEXT, 1L);
    curl_easy_setopt(ftp->handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(ftp->handle, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(ftp->handle) != CURLE_OK) return false;
    return WriteFileAtomic(localName, body.data(), body.size());
}

void NetFtpClose(NetFtp* ftp) {
    if (!ftp) return;
    curl_easy_cleanup(ftp->handle);
    delete ftp;
}

bool NetAttemptConnect(const char* url) {
    if (!url || !StartLibrary()) return false;
    CURL* h = curl_easy_init();
    if (!h) return false;
    SetCommonOptions(h, "");
    curl_easy_setopt(h, CURLOPT_URL, url);
    curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L);
    bool ok = curl_easy_perform(h) == CURLE_OK;
    curl_easy_cleanup(h);
    return ok;
}

}  // namespace plat
