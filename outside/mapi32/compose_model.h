// What the compose window of the mail library holds: the recipients as the
// user typed them, the subject and the attached files; and whether that is a
// mail that can be sent.
#pragma once

#include <string>
#include <vector>

namespace mapi32 {

struct ComposeModel {
    std::string to;
    std::string subject;
    std::vector<std::string> files;  // names shown in the list

    // The addresses of `to`, split at ';', ',' and blanks ("SMTP:" dropped).
    std::vector<std::string> Recipients() const;
    // "" when the mail can be sent, else what is wrong with it.
    std::string Problem() const;
};

// A plain address: one '@' with text on both sides, a dot in the domain,
// no blanks, quotes, angle brackets or line breaks.
bool IsMailAddress(const std::string& address);

}  // namespace mapi32
