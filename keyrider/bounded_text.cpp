#include "keyrider/bounded_text.h"

#include <cstring>

#include "platform/win/codepage.h"

namespace keyrider {

std::string_view FitText(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        std::size_t next = end + suite::AnsiCharLength(text, end);
        if (next > maxBytes) break;
        end = next;
    }
    return text.substr(0, end);
}

void CopyBounded(char* target, std::size_t size, std::string_view text) {
    if (!target || size == 0) return;
    std::string_view fitted = FitText(text, size - 1);
    std::memcpy(target, fitted.data(), fitted.size());
    target[fitted.size()] = '\0';
}

std::string ReplaceFirstPercentOne(std::string_view format, std::string_view value, std::size_t size) {
    std::string out(format);
    std::size_t at = out.find("%1");
    if (at != std::string::npos) out.replace(at, 2, value);
    return size == 0 ? std::string() : std::string(FitText(out, size - 1));
}

}  // namespace keyrider
