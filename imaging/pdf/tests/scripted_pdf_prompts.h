// Password prompts answered from a script, recording what was shown.
#pragma once

#include "imaging/pdf/pdf_prompts.h"

#include <deque>
#include <string>

class ScriptedPdfPrompts final : public CPdfPrompts {
public:
    std::deque<std::string> answers;  // an empty deque cancels
    int asked = 0;
    int wrong = 0;
    int posts = 0;
    int pumps = 0;
    int lastDone = -1;
    int lastTotal = -1;
    bool AskPassword(const char*, std::string& password, HANDLE) override {
        ++asked;
        if (answers.empty()) return false;
        password = answers.front();
        answers.pop_front();
        return true;
    }
    void ShowWrongPassword() override { ++wrong; }
    void PostProgress(HWND, int done, int total) override {
        ++posts;
        lastDone = done;
        lastTotal = total;
    }
    void PumpMessages() override { ++pumps; }
};
