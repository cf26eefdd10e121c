#include "shell/dialogs/pdf_password_controller.h"

std::string CPdfPasswordController::ProtectedLine(const std::string& text, const std::string& path) {
    std::string line = text;
    if (const std::size_t at = line.find("%s"); at != std::string::npos) line.replace(at, 2, path);
    // A text without a place for the path still names the file that asks.
    else line += "\"" + path + "\"";
    return line;
}

bool CPdfPasswordController::Confirm(const std::string& typed) {
    if (typed.empty()) return false;
    password_ = typed;
    return true;
}
