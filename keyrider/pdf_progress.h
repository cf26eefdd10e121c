// The progress of a PDF join in the message library's progress window: it
// opens at 0 % on the first report, shows the share of pages done with
// "Adding page %1 of %2..." (message 6) or, before the first page, "Creating
// the PDF file from %1 pages..." (message 5), changes only when the percent
// does, keeps the program's windows answering, and carries the user's Cancel
// back to the PDF library.
#pragma once

#include <functional>
#include <string>

#include "outside/include/tarrik.h"

namespace keyrider {

class PdfProgress {
public:
    PdfProgress(const TARRIK_FUNCTIONTABLE* messages, HWND owner, std::string caption, std::function<void()> pump);
    ~PdfProgress();
    PdfProgress(const PdfProgress&) = delete;
    PdfProgress& operator=(const PdfProgress&) = delete;

    // One report (page count, pages remaining, current page); false once the
    // user cancelled.
    bool Step(int total, int remaining, int page);
    // The percent shown last (-1 before the first).
    int Percent() const { return percent_; }
    bool Cancelled() const { return cancelled_; }

private:
    const TARRIK_FUNCTIONTABLE* messages_;
    HWND owner_;
    std::string caption_;
    std::function<void()> pump_;
    bool opened_ = false, cancelled_ = false;
    int percent_ = -1;
};

}  // namespace keyrider
