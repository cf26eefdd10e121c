// Downloads by address, as the system's URL service offers them: a whole
// file fetched to a path, and a check that a server can be reached. Over
// libcurl, with bounded waits (connect, stall, whole transfer), a size cap,
// and the file written under a temporary name and renamed only when whole.
#pragma once

#include "platform/win/folders.h"
#include "platform/win/types.h"

#include <atomic>
#include <cstdint>
#include <string>

using LPUNKNOWN = void*;
using LPBINDSTATUSCALLBACK = void*;

// Results of URLDownloadToFileA besides S_OK and E_INVALIDARG.
#define INET_E_RESOURCE_NOT_FOUND (static_cast<HRESULT>(0x800C0005u))
#define INET_E_DOWNLOAD_FAILURE (static_cast<HRESULT>(0x800C0008u))
#define INET_E_CANNOT_CONNECT (static_cast<HRESULT>(0x800C0004u))
#define INET_E_CONNECTION_TIMEOUT (static_cast<HRESULT>(0x800C000Bu))
#define E_OUTOFMEMORY (static_cast<HRESULT>(0x8007000Eu))
#ifndef E_ABORT
#define E_ABORT (static_cast<HRESULT>(0x80004004u))
#endif

#define FLAG_ICC_FORCE_CONNECTION 0x00000001u
// Last errors of a failed download or check.
#define ERROR_INTERNET_CANNOT_CONNECT 12029
#define ERROR_INTERNET_CONNECTION_ABORTED 12030

// Fetches `url` (http, https, ftp or file) into `file` (a path of the system's
// own form). The file is replaced only by a complete download: a server error
// (404...), a body cut short, a stall, an over-long transfer or a body past
// the size cap leave an existing file as it was. A name ending in ".exe"
// becomes runnable, as programs are.
HRESULT URLDownloadToFileA(LPUNKNOWN caller, LPCSTR url, LPCSTR file, DWORD reserved, LPBINDSTATUSCALLBACK callback);
// TRUE when the server of `url` accepts a connection within the connect limit.
BOOL InternetCheckConnectionA(LPCSTR url, DWORD flags, DWORD reserved);

namespace suite {

// The limits of downloads (for all threads of the process).
struct UrlDownloadLimits {
    long connectMs = 15000;        // to reach the server
    long stallMs = 30000;          // without a byte arriving
    long totalMs = 600000;         // for the whole transfer
    std::int64_t maxBytes = 512LL * 1024 * 1024;
};
void SetUrlDownloadLimits(const UrlDownloadLimits& limits);
UrlDownloadLimits GetUrlDownloadLimits();

// URLDownloadToFileA that `cancel` (may be null) ends soon after it is set,
// with E_ABORT and the file left as it was.
HRESULT DownloadToFile(LPCSTR url, LPCSTR file, const std::atomic<bool>* cancel);

// Fetches `url` (ANSI text) into memory under the same waits as downloads,
// with a cap of its own; `cancel` (may be null) ends the transfer soon after
// it is set. S_OK with the whole body, else the error of URLDownloadToFileA
// (E_ABORT when cancelled). `contentType` receives the server's type, if any.
HRESULT FetchUrl(const std::string& url, std::int64_t maxBytes, const std::atomic<bool>* cancel, std::string& body,
                 std::string* contentType = nullptr);

}  // namespace suite
