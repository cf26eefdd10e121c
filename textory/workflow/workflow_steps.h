// The four steps of Textory's workflow (0 scan, 1 find recognition regions,
// 2 recognise, 3 output), each with a pending flag and an option. Step 1's
// option: nonzero finds the regions automatically, 0 lets the user mark them.
// Step 3's: 0 or 1 word-processor output (nothing is written), 2 output to a
// file of a chosen format.
#pragma once

#include <array>
#include <functional>
#include <string>

class CWorkflowSteps {
public:
    static constexpr int kScan = 0, kFindRegions = 1, kRecognize = 2, kOutput = 3, kCount = 4;

    // `report` is told of an index outside 0..3 ("index excess"); none: quiet.
    explicit CWorkflowSteps(std::function<void(const std::string&)> report = {});

    void SetPending(int index, int value);
    void SetOption(int index, int value);
    void SetAllPending(int value);
    void SetAllOptions(int value);
    // Every step: pending 0, option 1.
    void Reset();

    int IsPending(int index) const;
    int GetOption(int index) const;
    // As GetOption, but -1 for an index outside the table.
    int GetOptionOrFail(int index) const;
    // The lowest index whose pending value is exactly 1; -1 when none.
    int FirstPending() const;

private:
    struct Entry {
        int pending = 0;
        int option = 1;
    };
    bool valid(int index) const;

    std::array<Entry, kCount> entries_{};
    std::function<void(const std::string&)> report_;
};
