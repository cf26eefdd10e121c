#include "plugins/moplink/pdf_save_model.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "plugins/moplink/dde_script.h"

namespace moplink {

namespace {

// A field's number; 0 for an empty or malformed one.
unsigned long long NumberOf(const std::string& text) {
    unsigned long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return (error == std::errc() && end == text.data() + text.size()) ? value : 0;
}

std::string Padded(const std::string& prefix, unsigned long long number, int width) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*llu", width, number);
    return prefix + digits + ".pdf";
}

}  // namespace

void PdfSaveModel::Open(const ExportSettings& s) {
    perImage = s.outputMethod == 1;
    automatic = s.autoNames != 0;
    combinedPath.clear();
    folder = s.folder;
    prefix = s.prefix;
    firstNumber = std::to_string(s.firstNumber);
    step = std::to_string(s.step);
    width = std::to_string(s.width);
}

bool PdfSaveModel::Complete() const {
    return !firstNumber.empty() && !step.empty() && !width.empty() && NumberOf(firstNumber) != 0 &&
           NumberOf(step) != 0 && NumberOf(width) != 0 && !folder.empty();
}

bool PdfSaveModel::InputState() const {
    if (!perImage) return !combinedPath.empty();
    return automatic ? Complete() : true;
}

bool PdfSaveModel::Enabled(UINT control) const {
    switch (control) {
    case kCombinedPath:
    case kCombinedBrowse: return !perImage;
    case kPrompt:
    case kAutomatic: return perImage;
    case kFolder:
    case kFolderBrowse:
    case kPrefix:
    case kFirstNumber:
    case kStep:
    case kWidth:
    case kStepSpin:
    case kWidthSpin: return perImage && automatic;
    default: return true;
    }
}

std::string PdfSaveModel::Example(const std::string& label) const {
    if (!Complete()) return label;
    int w = static_cast<int>(std::min<unsigned long long>(NumberOf(width), 19));
    unsigned long long first = NumberOf(firstNumber), next = first + NumberOf(step);
    std::string text = label + " " + Padded(prefix, first, w) + "; ";
    text += NumberLimit(static_cast<DWORD>(w)) <= next ? "########" : Padded(prefix, next, w);
    return text;
}

bool PdfSaveModel::SetFirstNumber(const std::string& text) {
    unsigned long long w = NumberOf(width);
    if (!text.empty() && NumberOf(text) >= NumberLimit(static_cast<DWORD>(std::min<unsigned long long>(w, 19))))
        return false;
    if (!text.empty() && text.size() > 10) return false;
    firstNumber = text;
    int low = WidthLow();
    if (static_cast<int>(w) < low) width = std::to_string(low);
    return true;
}

int PdfSaveModel::WidthLow() const {
    std::size_t digits = std::to_string(NumberOf(firstNumber)).size();
    return std::max(2, static_cast<int>(digits));
}

void PdfSaveModel::StepSpin(int position, int delta) { step = std::to_string(std::clamp(position + delta, 1, 10)); }

void PdfSaveModel::WidthSpin(int position, int delta) {
    width = std::to_string(std::clamp(position + delta, WidthLow(), kWidthHigh));
}

void PdfSaveModel::Store(ExportSettings* s) const {
    s->outputMethod = perImage ? 1 : 0;
    s->autoNames = automatic;
    s->outputPath = combinedPath;
    s->folder = folder;
    s->prefix = prefix;
    s->firstNumber = static_cast<DWORD>(std::min<unsigned long long>(NumberOf(firstNumber), 0xFFFFFFFFu));
    s->step = static_cast<DWORD>(std::clamp<unsigned long long>(NumberOf(step), 1, 10));
    s->width = static_cast<DWORD>(std::clamp<unsigned long long>(NumberOf(width), 2, 9));
}

}  // namespace moplink
