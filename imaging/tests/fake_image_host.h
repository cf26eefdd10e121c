// A scripted host for the image layer's tests: answers from fields the test
// sets and records the message boxes shown and the wait-cursor calls.
// Installs itself for its lifetime. The upper layers' fakes build on it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "imaging/image_host.h"

template <class Host>
class CFakeImageHostOf : public Host {
public:
    CFakeImageHostOf() { SetImageHost(this); }
    ~CFakeImageHostOf() override { SetImageHost(nullptr); }
    CFakeImageHostOf(const CFakeImageHostOf&) = delete;
    CFakeImageHostOf& operator=(const CFakeImageHostOf&) = delete;

    std::string documentPath;
    int currentRow = -1;
    std::map<std::pair<int, int>, std::string> cells;  // (row, column) -> text
    int messageAnswer = IDOK;
    // When set, message boxes go to it instead of being recorded (it may be
    // called from another thread, where the record would race the test).
    std::function<int(const std::string& text)> onMessageBox;
    HMODULE convertLibrary = nullptr;

    std::vector<std::string> messages;
    int waitCursorDepth = 0;
    int waitCursorCalls = 0;

    std::string CurrentDocumentPath() const override { return documentPath; }
    int PageListCurrentRow() const override { return currentRow; }
    std::string PageListItemText(int row, int column) const override {
        auto it = cells.find({row, column});
        return it == cells.end() ? std::string() : it->second;
    }
    HMODULE ConvertLibrary() const override { return convertLibrary; }
    int MessageBox(const std::string& text, const std::string&, UINT) override {
        if (onMessageBox) return onMessageBox(text);
        messages.push_back(text);
        return messageAnswer;
    }
    void BeginWaitCursor() override { ++waitCursorDepth; ++waitCursorCalls; }
    void EndWaitCursor() override { --waitCursorDepth; }
};

using CFakeImageHost = CFakeImageHostOf<CImageHost>;
