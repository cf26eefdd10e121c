// What the password dialog of a protected PDF decides: the line naming the
// file, and whether OK may end the dialog.
#pragma once

#include <string>

class CPdfPasswordController {
public:
    // The protected-file line: the library's text with its first "%s"
    // replaced by the path (nothing else in it is taken as a format); a text
    // without one gets the path in quotes after it.
    static std::string ProtectedLine(const std::string& text, const std::string& path);
    // OK with the typed password: true ends the dialog with it; false (an
    // empty password) asks again.
    bool Confirm(const std::string& typed);
    const std::string& Password() const { return password_; }

private:
    std::string password_;
};
