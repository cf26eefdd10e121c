// The transfer library's set-up, shared by the framework's internet code: one
// global initialisation, handles that clean up after themselves, and the
// mapping of its result codes to the internet error numbers.
#pragma once

#include <curl/curl.h>

#include <memory>

#include "platform/win/types.h"

namespace afx_inet {

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

struct CurlListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// A new easy handle (the library initialised once per process); null when
// the library cannot make one.
CurlHandle NewCurl();

// The internet error number (ERROR_INTERNET_*) a result code stands for.
DWORD InternetErrorOf(CURLcode code);

}  // namespace afx_inet
