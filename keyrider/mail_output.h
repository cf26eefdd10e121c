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

// `library` is the name the mail library is loaded by ("Mapi32.dll").
MailOutcome SendFilesByMail(const std::vector<std::string>& files, const std::string& library = "Mapi32.dll",
                            unsigned long* code = nullptr);

}  // namespace keyrider
