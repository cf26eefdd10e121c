#include "keyrider/mail_output.h"

#include <vector>

#include "outside/include/mapi32.h"
#include "platform/win/library.h"

namespace keyrider {

std::vector<std::string> MailAddresses(const std::string& text) {
    std::vector<std::string> addresses;
    std::string current;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ';';
        if (c == ';' || c == ',') {
            if (!current.empty()) addresses.push_back(current);
            current.clear();
        } else if (c != ' ' && c != '\t') {
            current += c;
        }
    }
    return addresses;
}

MailOutcome SendFilesByMail(const std::vector<std::string>& files, const MailHeading& heading, const std::string& library,
                            unsigned long* code) {
    if (code) *code = 0;
    HMODULE module = LoadLibraryA(library.c_str());
    if (!module) return MailOutcome::NoLibrary;
    auto initialize = reinterpret_cast<LPMAPIINITIALIZE>(GetProcAddress(module, "MAPIInitialize"));
    auto uninitialize = reinterpret_cast<LPMAPIUNINITIALIZE>(GetProcAddress(module, "MAPIUninitialize"));
    auto logon = reinterpret_cast<LPMAPILOGON>(GetProcAddress(module, "MAPILogon"));
    auto logoff = reinterpret_cast<LPMAPILOGOFF>(GetProcAddress(module, "MAPILogoff"));
    auto sendDocuments = reinterpret_cast<LPMAPISENDDOCUMENTS>(GetProcAddress(module, "MAPISendDocuments"));
    auto sendMail = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(module, "MAPISendMail"));
    if (!logon || !logoff || !sendDocuments || !sendMail) {
        FreeLibrary(module);
        return MailOutcome::NoLibrary;
    }
    if (initialize) initialize(nullptr);
    std::string joined;
    for (const std::string& f : files) joined += (joined.empty() ? "" : ";") + f;
    auto documents = [&] {
        std::string delimiter = ";";
        std::string names;
        ULONG r = sendDocuments(0, delimiter.data(), joined.data(), names.data(), 0);
        if (code) *code = r;
        return r == SUCCESS_SUCCESS ? MailOutcome::Sent : r == MAPI_USER_ABORT ? MailOutcome::UserAborted
                                                                                : MailOutcome::Failed;
    };
    MailOutcome outcome;
    LHANDLE session = 0;
    if (logon(0, nullptr, nullptr, MAPI_LOGON_UI | MAPI_NEW_SESSION, 0, &session) != SUCCESS_SUCCESS) {
        outcome = documents();
    } else {
        std::vector<std::string> paths(files);
        std::vector<MapiFileDesc> attached(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            attached[i] = MapiFileDesc{};
            attached[i].lpszPathName = paths[i].data();
        }
        std::vector<std::string> addresses;
        for (const std::string& a : heading.to) addresses.push_back("SMTP:" + a);
        std::vector<MapiRecipDesc> recipients(addresses.size());
        for (std::size_t i = 0; i < addresses.size(); ++i) {
            recipients[i] = MapiRecipDesc{};
            recipients[i].ulRecipClass = MAPI_TO;
            recipients[i].lpszAddress = addresses[i].data();
        }
        std::string subject = heading.subject;
        MapiMessage message{};
        message.flFlags = 2;
        message.lpszSubject = subject.empty() ? nullptr : subject.data();
        message.nRecipCount = ULONG(recipients.size());
        message.lpRecips = recipients.empty() ? nullptr : recipients.data();
        message.nFileCount = ULONG(attached.size());
        message.lpFiles = attached.data();
        ULONG r = sendMail(session, 0, &message, MAPI_DIALOG, 0);
        if (code) *code = r;
        if (r == SUCCESS_SUCCESS) outcome = MailOutcome::Sent;
        else if (r == MAPI_USER_ABORT) outcome = MailOutcome::UserAborted;
        else outcome = documents();
        logoff(session, 0, 0, 0);
    }
    if (uninitialize) uninitialize();
    FreeLibrary(module);
    return outcome;
}

}  // namespace keyrider
