// The exported entries of "Mapi32.dll". A session stands for "mail can go
// somewhere": an SMTP server in the registry, or a desktop mail program.
// Without recipients (the sender expected to choose them in a compose window)
// only the desktop's mail program can take the mail.
#include <strings.h>

#include <atomic>
#include <cstring>
#include <string>

#include "outside/include/mapi32.h"
#include "outside/include/outside.h"
#include "outside/mapi32/compose_dialog.h"
#include "outside/mapi32/mail_sender.h"
#include "platform/win/path.h"

namespace {

std::atomic<LHANDLE> g_nextSession{1};

std::string AddressOf(const MapiRecipDesc& r) {
    std::string a = r.lpszAddress ? r.lpszAddress : "";
    if (a.size() >= 5 && strncasecmp(a.c_str(), "SMTP:", 5) == 0) a.erase(0, 5);
    if (a.empty() && r.lpszName && std::strchr(r.lpszName, '@')) a = r.lpszName;
    return a;
}

mapi32::Attachment AttachmentOf(const char* path, const char* name) {
    mapi32::Attachment a;
    a.nativePath = suite::NativePathOfEither(path ? path : "");
    a.name = name && *name ? name : std::string(suite::PathLastPart(path ? path : ""));
    return a;
}

ULONG Deliver(const mapi32::Mail& mail) {
    for (const mapi32::Attachment& a : mail.files)
        if (a.nativePath.empty() || a.name.empty()) return MAPI_E_ATTACHMENT_NOT_FOUND;
    bool anyRecipient = !mail.to.empty() || !mail.cc.empty() || !mail.bcc.empty();
    mapi32::MailSettings settings;
    bool server = mapi32::ReadMailSettings(&settings);
    if (server && anyRecipient) return mapi32::SendBySmtp(settings, mail);
    if (mapi32::DesktopMailAvailable()) return mapi32::HandToDesktop(mail);
    return server ? MAPI_E_INVALID_RECIPS : MAPI_E_LOGIN_FAILURE;
}

}  // namespace

OUTSIDE_EXPORT LONG MAPIInitialize(LPVOID) { return 0; }

OUTSIDE_EXPORT void MAPIUninitialize() {}

OUTSIDE_EXPORT ULONG MAPILogon(std::uintptr_t, LPSTR, LPSTR, FLAGS, ULONG, LHANDLE* session) {
    if (!session) return MAPI_E_FAILURE;
    *session = 0;
    mapi32::MailSettings settings;
    if (!mapi32::ReadMailSettings(&settings) && !mapi32::DesktopMailAvailable()) return MAPI_E_LOGIN_FAILURE;
    *session = g_nextSession++;
    return SUCCESS_SUCCESS;
}

OUTSIDE_EXPORT ULONG MAPILogoff(LHANDLE session, std::uintptr_t, FLAGS, ULONG) {
    return session ? SUCCESS_SUCCESS : MAPI_E_INVALID_SESSION;
}

OUTSIDE_EXPORT ULONG MAPISendMail(LHANDLE, std::uintptr_t, MapiMessage* message, FLAGS flags, ULONG) {
    if (!message) return MAPI_E_FAILURE;
    mapi32::Mail mail;
    mail.subject = message->lpszSubject ? message->lpszSubject : "";
    mail.text = message->lpszNoteText ? message->lpszNoteText : "";
    for (ULONG i = 0; i < message->nRecipCount && message->lpRecips; ++i) {
        const MapiRecipDesc& r = message->lpRecips[i];
        std::string a = AddressOf(r);
        if (a.empty()) return MAPI_E_INVALID_RECIPS;
        if (r.ulRecipClass == MAPI_CC) mail.cc.push_back(a);
        else if (r.ulRecipClass == MAPI_BCC) mail.bcc.push_back(a);
        else if (r.ulRecipClass == MAPI_TO) mail.to.push_back(a);
    }
    for (ULONG i = 0; i < message->nFileCount && message->lpFiles; ++i)
        mail.files.push_back(AttachmentOf(message->lpFiles[i].lpszPathName, message->lpFiles[i].lpszFileName));
    // With the dialog flag the sender completes the mail in the compose window.
    if ((flags & MAPI_DIALOG) && mail.to.empty() && mail.cc.empty() && mail.bcc.empty()) {
        mapi32::MailSettings settings;
        if (mapi32::ReadMailSettings(&settings)) {
            mapi32::ComposeModel model;
            model.subject = mail.subject;
            for (const mapi32::Attachment& a : mail.files) model.files.push_back(a.name);
            if (!mapi32::RunComposeDialog(model)) return MAPI_USER_ABORT;
            mail.to = model.Recipients();
            mail.subject = model.subject;
        }
    }
    return Deliver(mail);
}

OUTSIDE_EXPORT ULONG MAPISendDocuments(std::uintptr_t, LPSTR delimiters, LPSTR paths, LPSTR names, ULONG) {
    if (!paths || !*paths) return MAPI_E_FAILURE;
    std::string delim = delimiters && *delimiters ? delimiters : ";";
    auto split = [&](const char* text) {
        std::vector<std::string> out;
        std::string s = text ? text : "";
        size_t at = 0;
        while (at <= s.size() && !s.empty()) {
            size_t end = s.find_first_of(delim, at);
            std::string part = s.substr(at, end == std::string::npos ? std::string::npos : end - at);
            if (!part.empty()) out.push_back(part);
            if (end == std::string::npos) break;
            at = end + 1;
        }
        return out;
    };
    std::vector<std::string> p = split(paths), n = split(names);
    mapi32::Mail mail;
    for (size_t i = 0; i < p.size(); ++i)
        mail.files.push_back(AttachmentOf(p[i].c_str(), i < n.size() ? n[i].c_str() : nullptr));
    return Deliver(mail);
}
