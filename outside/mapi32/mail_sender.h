// How the mail library sends: the SMTP server of the user's registry, or the
// desktop's mail program.
#pragma once

#include <string>
#include <vector>

#include "platform/win/types.h"

namespace mapi32 {

struct MailSettings {
    std::string server;  // "smtp://host:port"
    std::string from;
    std::string user, password;
    DWORD timeoutMs = 30000;
};

struct Attachment {
    std::string nativePath;
    std::string name;  // as the receiver sees it
};

struct Mail {
    std::vector<std::string> to, cc, bcc;  // plain addresses
    std::string subject, text;
    std::vector<Attachment> files;
};

// False when the registry names no server.
bool ReadMailSettings(MailSettings* settings);
// Whether a desktop session with a mail hand-off program is there.
bool DesktopMailAvailable();
// SUCCESS_SUCCESS or a MAPI_E_ code; every wait bounded by the settings.
ULONG SendBySmtp(const MailSettings& settings, const Mail& mail);
// Hands the mail to the desktop's mail program (it composes and sends).
ULONG HandToDesktop(const Mail& mail);

}  // namespace mapi32
