#include "platform/afx/inet/curl_handle.h"

#include <mutex>

#include "platform/afx/inet/afxinet.h"

namespace afx_inet {

CurlHandle NewCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlHandle(curl_easy_init());
}

DWORD InternetErrorOf(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
        return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT:
        return ERROR_INTERNET_TIMEOUT;
    case CURLE_LOGIN_DENIED:
        return ERROR_INTERNET_LOGIN_FAILURE;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return ERROR_INTERNET_INVALID_URL;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_PORT_FAILED:
        return ERROR_INTERNET_CONNECTION_ABORTED;
    default:
        return ERROR_INTERNET_EXTENDED_ERROR;
    }
}

}  // namespace afx_inet
