#include "outside/mapi32/mail_sender.h"

#include <curl/curl.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "outside/include/mapi32.h"
#include "platform/win/codepage.h"
#include "platform/win/errors.h"
#include "platform/win/locator.h"
#include "platform/win/process.h"
#include "platform/win/registry.h"
#include "platform/win/sync.h"
#include "platform/win/handles.h"

namespace mapi32 {

namespace {
constexpr DWORD kDesktopWaitMs = 30000;

// A text that would end a mail header line early is refused.
bool OneLine(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }

std::string Bracketed(const std::string& address) { return "<" + address + ">"; }

std::string Base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned v = 0;
        for (std::size_t k = 0; k < 3; ++k) v = (v << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k) out += k <= n ? digits[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// A header text in the program's code page as the mail standards carry it:
// plain ASCII as it is, anything else as UTF-8 encoded words of at most 75
// characters, never splitting a character.
std::string HeaderText(const std::string& ansi) {
    bool plain = true;
    for (unsigned char c : ansi) plain = plain && c >= 0x20 && c < 0x7F;
    if (plain) return ansi;
    const std::string utf8 = suite::AnsiToUtf8(ansi);
    std::string out, chunk;
    auto flush = [&] {
        if (chunk.empty()) return;
        out += (out.empty() ? "" : "\r\n ") + std::string("=?UTF-8?B?") + Base64(chunk) + "?=";
        chunk.clear();
    };
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t len = 1;
        while (i + len < utf8.size() && (static_cast<unsigned char>(utf8[i + len]) & 0xC0) == 0x80) ++len;
        // 45 bytes make 60 base64 characters: with "=?UTF-8?B?" and "?=" 72.
        if (chunk.size() + len > 45) flush();
        chunk += utf8.substr(i, len);
        i += len;
    }
    flush();
    return out;
}
}  // namespace

bool ReadMailSettings(MailSettings* settings) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Mapi32", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    MailSettings s;
    suite::ReadStringValue(key, "SMTP Server", &s.server);
    suite::ReadStringValue(key, "From", &s.from);
    suite::ReadStringValue(key, "User", &s.user);
    suite::ReadStringValue(key, "Password", &s.password);
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key, "Timeout", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && value > 0)
        s.timeoutMs = value;
    RegCloseKey(key);
    if (s.server.empty()) return false;
    *settings = std::move(s);
    return true;
}

bool DesktopMailAvailable() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    if (!(x && *x) && !(w && *w)) return false;
    return !suite::FindProgram("xdg-email").empty();
}

ULONG SendBySmtp(const MailSettings& settings, const Mail& mail) {
    if (mail.to.empty() && mail.cc.empty() && mail.bcc.empty()) return MAPI_E_INVALID_RECIPS;
    if (!OneLine(mail.subject) || !OneLine(settings.from)) return MAPI_E_FAILURE;
    for (const Attachment& a : mail.files) {
        struct stat st{};
        if (::stat(a.nativePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return MAPI_E_ATTACHMENT_NOT_FOUND;
        if (::access(a.nativePath.c_str(), R_OK) != 0) return MAPI_E_ATTACHMENT_OPEN_FAILURE;
    }
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return MAPI_E_INSUFFICIENT_MEMORY;
    CURL* c = curl.get();
    curl_slist* recipients = nullptr;
    curl_slist* headers = nullptr;
    auto freeLists = [&] {
        curl_slist_free_all(recipients);
        curl_slist_free_all(headers);
    };
    std::string toLine, ccLine;
    for (const auto* list : {&mail.to, &mail.cc, &mail.bcc})
        for (const std::string& r : *list) {
            if (r.empty() || !OneLine(r)) {
                freeLists();
                return MAPI_E_INVALID_RECIPS;
            }
            recipients = curl_slist_append(recipients, Bracketed(r).c_str());
        }
    for (const std::string& r : mail.to) toLine += (toLine.empty() ? "" : ", ") + r;
    for (const std::string& r : mail.cc) ccLine += (ccLine.empty() ? "" : ", ") + r;
    if (!toLine.empty()) headers = curl_slist_append(headers, ("To: " + toLine).c_str());
    if (!ccLine.empty()) headers = curl_slist_append(headers, ("Cc: " + ccLine).c_str());
    if (!settings.from.empty()) headers = curl_slist_append(headers, ("From: " + settings.from).c_str());
    if (!OneLine(mail.subject)) {
        freeLists();
        return MAPI_E_FAILURE;
    }
    headers = curl_slist_append(headers, ("Subject: " + HeaderText(mail.subject)).c_str());

    curl_mime* mime = curl_mime_init(c);
    curl_mimepart* body = curl_mime_addpart(mime);
    curl_mime_data(body, mail.text.c_str(), CURL_ZERO_TERMINATED);
    curl_mime_type(body, "text/plain; charset=utf-8");
    for (const Attachment& a : mail.files) {
        curl_mimepart* part = curl_mime_addpart(mime);
        curl_mime_filedata(part, a.nativePath.c_str());
        curl_mime_filename(part, a.name.c_str());
        curl_mime_type(part, "application/octet-stream");
        curl_mime_encoder(part, "base64");
    }
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_URL, settings.server.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, Bracketed(settings.from).c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(c, CURLOPT_MIMEPOST, mime);
    if (!settings.user.empty()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, settings.password.c_str());
    }
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.timeoutMs));
    long seconds = static_cast<long>((settings.timeoutMs + 999) / 1000);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, seconds);
    CURLcode r = curl_easy_perform(c);
    curl_mime_free(mime);
    freeLists();
    if (r == CURLE_OK) return SUCCESS_SUCCESS;
    if (r == CURLE_LOGIN_DENIED) return MAPI_E_LOGIN_FAILURE;
    if (r == CURLE_READ_ERROR) return MAPI_E_ATTACHMENT_OPEN_FAILURE;
    return MAPI_E_FAILURE;
}

ULONG HandToDesktop(const Mail& mail) {
    std::vector<std::string> args;
    if (!mail.subject.empty()) args.insert(args.end(), {"--subject", mail.subject});
    if (!mail.text.empty()) args.insert(args.end(), {"--body", mail.text});
    for (const std::string& r : mail.cc) args.insert(args.end(), {"--cc", r});
    for (const std::string& r : mail.bcc) args.insert(args.end(), {"--bcc", r});
    for (const Attachment& a : mail.files) {
        if (::access(a.nativePath.c_str(), R_OK) != 0) return MAPI_E_ATTACHMENT_NOT_FOUND;
        args.insert(args.end(), {"--attach", a.nativePath});
    }
    args.insert(args.end(), mail.to.begin(), mail.to.end());
    HANDLE p = suite::StartProgram("xdg-email", args);
    if (!p) return MAPI_E_FAILURE;
    DWORD code = 1;
    bool ended = WaitForSingleObject(p, kDesktopWaitMs) == WAIT_OBJECT_0 && GetExitCodeProcess(p, &code);
    CloseHandle(p);
    return ended && code == 0 ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}

}  // namespace mapi32
