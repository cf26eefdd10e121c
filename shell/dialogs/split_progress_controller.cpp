#include "shell/dialogs/split_progress_controller.h"

#include "ocrdoc/helpers/dbcs.h"

namespace {

constexpr std::size_t kLongestName = 32;
constexpr std::size_t kCutName = 28;

}  // namespace

std::string FormatNumbers(const std::string& format, std::initializer_list<int> numbers) {
    std::string out;
    auto next = numbers.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'd' && next != numbers.end()) {
            out += std::to_string(*next++);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

void CSplitProgressController::SetRange(int pages) {
    range_ = pages > 0 ? pages : 0;
    position_ = 0;
}

int CSplitProgressController::Step(int position, int pageCount, int pageIndex, const std::string& format) {
    if (stopped_) return 0;
    if (position <= 0 || position > range_) return 1;
    position_ = position;
    status_ = FormatNumbers(format, {pageCount, pageIndex + 1});
    return 1;
}

std::string CSplitProgressController::FileLine(const std::string& prefix, const std::string& name) {
    const std::string full = name + ".PDF";
    std::size_t characters = 0, cutAt = 0;
    for (std::size_t i = 0; i < full.size(); ++characters) {
        if (characters == kCutName) cutAt = i;
        i += dochelpers::CharBytes(full.data(), i, full.size());
    }
    if (characters <= kLongestName) return prefix + full;
    return prefix + full.substr(0, cutAt) + "...";
}
