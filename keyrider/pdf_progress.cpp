#include "keyrider/pdf_progress.h"

#include <algorithm>


namespace keyrider {

namespace {

std::string ReplaceAll(std::string text, const std::string& mark, const std::string& value) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
        text.replace(at, mark.size(), value);
    return text;
}

std::string Text(const TARRIK_FUNCTIONTABLE* messages, int id) {
    char text[260] = {};
    if (messages->MsgGetText) messages->MsgGetText(id, text, sizeof text);
    return text;
}

}  // namespace

PdfProgress::PdfProgress(const TARRIK_FUNCTIONTABLE* messages, HWND owner, std::string caption,
                         std::function<void()> pump)
    : messages_(messages), owner_(owner), caption_(std::move(caption)), pump_(std::move(pump)) {}

PdfProgress::~PdfProgress() {
    if (opened_ && messages_ && messages_->MsgCloseProgress) messages_->MsgCloseProgress();
}

bool PdfProgress::Step(int total, int remaining, int page) {
    if (pump_) pump_();
    if (!messages_ || !messages_->MsgOpenProgress || !messages_->MsgSetProgress) return !cancelled_;
    if (!opened_) {
        MSG_PROGRESS record{owner_, caption_.c_str(), 100};
        opened_ = messages_->MsgOpenProgress(&record) != 0;
        if (!opened_) return true;  // no window: the join goes on unseen
        percent_ = 0;
        if (messages_->MsgSetProgress(0) == 0) cancelled_ = true;
    }
    if (cancelled_ || total <= 0) return !cancelled_;
    const int done = std::clamp(total - remaining, 0, total);
    const int percent = done * 100 / total;
    if (percent == percent_ && page > 0) return true;
    const std::string text =
        page > 0 ? ReplaceAll(ReplaceAll(Text(messages_, 6), "%1", std::to_string(page)), "%2",
                              std::to_string(total))
                 : ReplaceAll(Text(messages_, 5), "%1", std::to_string(total));
    if (messages_->MsgSetProgressText) messages_->MsgSetProgressText(0, text.c_str());
    percent_ = percent;
    if (messages_->MsgSetProgress(percent) == 0) cancelled_ = true;
    return !cancelled_;
}

}  // namespace keyrider
