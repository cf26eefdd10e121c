#include "platform/win/url_download.h"

#include "platform/win/atomic_file.h"
#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/path.h"

#include <curl/curl.h>

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>

namespace {

std::mutex& limitsLock() {
    static std::mutex lock;
    return lock;
}

suite::UrlDownloadLimits& limits() {
    static suite::UrlDownloadLimits value;
    return value;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using Curl = std::unique_ptr<CURL, CurlDeleter>;

Curl newCurl(const char* url, const suite::UrlDownloadLimits& l) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    Curl c(curl_easy_init());
    if (!c) return c;
    CURL* h = c.get();
    curl_easy_setopt(h, CURLOPT_URL, url);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, l.connectMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, l.totalMs);
    // A stall: less than one byte a second for the stall limit.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, std::max(1L, (l.stallMs + 999) / 1000));
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    return c;
}

struct Sink {
    suite::AtomicFile* file;
    std::int64_t written = 0;
    std::int64_t cap;
    bool tooLong = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (sink->written + static_cast<std::int64_t>(bytes) > sink->cap) {
        sink->tooLong = true;
        return 0;
    }
    if (!sink->file->Write(data, bytes)) return 0;
    sink->written += static_cast<std::int64_t>(bytes);
    return bytes;
}

HRESULT resultOf(CURLcode code, long status) {
    switch (code) {
    case CURLE_OK:
        return S_OK;
    case CURLE_HTTP_RETURNED_ERROR:
        return status == 404 || status == 410 ? INET_E_RESOURCE_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
    case CURLE_FILE_COULDNT_READ_FILE:
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return INET_E_RESOURCE_NOT_FOUND;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return INET_E_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
        return INET_E_CONNECTION_TIMEOUT;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return E_INVALIDARG;
    default:
        return INET_E_DOWNLOAD_FAILURE;
    }
}

struct MemorySink {
    std::string* body;
    std::int64_t cap;
    bool tooLong = false;
};

size_t appendBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<MemorySink*>(user);
    const size_t bytes = size * count;
    if (static_cast<std::int64_t>(sink->body->size() + bytes) > sink->cap) {
        sink->tooLong = true;
        return 0;
    }
    sink->body->append(data, bytes);
    return bytes;
}

int abortWhenCancelled(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel && cancel->load() ? 1 : 0;
}

bool endsWithExe(const std::string& name) {
    return name.size() >= 4 && suite::AnsiCompareNoCase(std::string_view(name).substr(name.size() - 4), ".exe") == 0;
}

}  // namespace

namespace suite {

void SetUrlDownloadLimits(const UrlDownloadLimits& value) {
    std::lock_guard guard(limitsLock());
    limits() = value;
}

UrlDownloadLimits GetUrlDownloadLimits() {
    std::lock_guard guard(limitsLock());
    return limits();
}

HRESULT FetchUrl(const std::string& url, std::int64_t maxBytes, const std::atomic<bool>* cancel, std::string& body,
                 std::string* contentType) {
    body.clear();
    if (contentType) contentType->clear();
    if (url.empty()) return E_INVALIDARG;
    const UrlDownloadLimits l = GetUrlDownloadLimits();
    const std::string address = AnsiToUtf8(url);
    Curl curl = newCurl(address.c_str(), l);
    if (!curl) return E_OUTOFMEMORY;
    MemorySink sink{&body, std::min(maxBytes, l.maxBytes)};
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl.get(), CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.cap));
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, abortWhenCancelled);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel));
    const CURLcode code = curl_easy_perform(curl.get());
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        body.clear();
        return E_ABORT;
    }
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    HRESULT result = resultOf(code, status);
    if (sink.tooLong || code == CURLE_FILESIZE_EXCEEDED) result = INET_E_DOWNLOAD_FAILURE;
    if (result != S_OK) {
        body.clear();
        SetLastError(ERROR_INTERNET_CONNECTION_ABORTED);
        return result;
    }
    if (contentType) {
        char* type = nullptr;
        if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) *contentType = type;
    }
    return S_OK;
}

}  // namespace suite

HRESULT URLDownloadToFileA(LPUNKNOWN, LPCSTR url, LPCSTR file, DWORD, LPBINDSTATUSCALLBACK) {
    return suite::DownloadToFile(url, file, nullptr);
}

HRESULT suite::DownloadToFile(LPCSTR url, LPCSTR file, const std::atomic<bool>* cancel) {
    if (!url || !*url || !file || !*file) return E_INVALIDARG;
    const suite::UrlDownloadLimits l = suite::GetUrlDownloadLimits();
    const std::string address = suite::AnsiToUtf8(url);
    Curl curl = newCurl(address.c_str(), l);
    if (!curl) return E_OUTOFMEMORY;
    suite::AtomicFile out(file);
    if (!out.Stream()) return INET_E_DOWNLOAD_FAILURE;
    Sink sink{&out, 0, l.maxBytes};
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl.get(), CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(l.maxBytes));
    if (cancel) {
        curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, abortWhenCancelled);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(cancel));
    }
    const CURLcode code = curl_easy_perform(curl.get());
    if (code == CURLE_ABORTED_BY_CALLBACK) return E_ABORT;  // the temporary file goes with `out`
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    HRESULT result = resultOf(code, status);
    if (sink.tooLong || code == CURLE_FILESIZE_EXCEEDED) result = INET_E_DOWNLOAD_FAILURE;
    if (result != S_OK) {
        SetLastError(ERROR_INTERNET_CONNECTION_ABORTED);
        return result;  // the temporary file goes with `out`
    }
    if (!out.Commit()) return INET_E_DOWNLOAD_FAILURE;
    if (endsWithExe(file)) {
        const std::string native = suite::NativePath(file);
        struct stat st {};
        if (!native.empty() && ::stat(native.c_str(), &st) == 0)
            ::chmod(native.c_str(), st.st_mode | S_IXUSR | S_IXGRP | S_IXOTH);
    }
    return S_OK;
}

BOOL InternetCheckConnectionA(LPCSTR url, DWORD, DWORD) {
    if (!url || !*url) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const suite::UrlDownloadLimits l = suite::GetUrlDownloadLimits();
    const std::string address = suite::AnsiToUtf8(url);
    Curl curl = newCurl(address.c_str(), l);
    if (!curl) return FALSE;
    curl_easy_setopt(curl.get(), CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, l.connectMs);
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK) {
        SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
        return FALSE;
    }
    return TRUE;
}
