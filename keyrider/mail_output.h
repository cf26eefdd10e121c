// The e-mail hand-off of a scan job through the simple mail library
// "Mapi32.dll": a logged-on session sends one message with every file
// attached and the library's mail dialog; a failed log-on or send hands the
// files to MAPISendDocuments. What happened is told back, so that a mail
// that went nowhere is reported rather than taken for sent.
#pragma once

#include <string>
#include <vector>

namespace keyrider {

enum class MailOutcome { Sent, UserAborted, NoLibrary, Failed };

// Who the mail goes to and what it is about; without recipients the mail
// library's dialog asks for them.
struct MailHeading {
    std::vector<std::string> to;
    std::string subject;
};

// `library` is the name the mail library is loaded by ("Mapi32.dll").
MailOutcome SendFilesByMail(const std::vector<std::string>& files, const MailHeading& heading = {},
                            const std::string& library = "Mapi32.dll", unsigned long* code = nullptr);

// The addresses of a "Mail To" text: separated by ";" or ",", blanks dropped.
std::vector<std::string> MailAddresses(const std::string& text);

}  // namespace keyrider
