#include "textory/workflow/workflow_steps.h"

#include <utility>

CWorkflowSteps::CWorkflowSteps(std::function<void(const std::string&)> report) : report_(std::move(report)) {}

bool CWorkflowSteps::valid(int index) const {
    if (index >= 0 && index < kCount) return true;
    if (report_) report_("index excess");
    return false;
}

void CWorkflowSteps::SetPending(int index, int value) {
    if (valid(index)) entries_[index].pending = value;
}

void CWorkflowSteps::SetOption(int index, int value) {
    if (valid(index)) entries_[index].option = value;
}

void CWorkflowSteps::SetAllPending(int value) {
    for (Entry& e : entries_) e.pending = value;
}

void CWorkflowSteps::SetAllOptions(int value) {
    for (Entry& e : entries_) e.option = value;
}

void CWorkflowSteps::Reset() { entries_.fill(Entry{}); }

int CWorkflowSteps::IsPending(int index) const { return valid(index) ? entries_[index].pending : 0; }

int CWorkflowSteps::GetOption(int index) const { return valid(index) ? entries_[index].option : 0; }

int CWorkflowSteps::GetOptionOrFail(int index) const { return valid(index) ? entries_[index].option : -1; }

int CWorkflowSteps::FirstPending() const {
    for (int i = 0; i < kCount; ++i)
        if (entries_[i].pending == 1) return i;
    return -1;
}
