// A scripted shell for tests, on top of the views' fake (views/tests/
// fake_view_host.h and the fakes below it): the batch window's edition hooks.
// Installs itself for its lifetime.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "shell/shell_services.h"
#include "views/tests/fake_view_host.h"

class CFakeShellServices final : public CFakeViewHostOf<CShellServices> {
public:
    CFakeShellServices() { SetShellServices(this); }
    ~CFakeShellServices() override { SetShellServices(nullptr); }

    // The batch window's edition hooks: Scribant's unless `textoryBatch`,
    // which answers as the second edition does (its counter text, the scan
    // target in `scanTarget`, the panel beside the controls).
    std::size_t batchPieceBytes = 128;
    bool textoryBatch = false;
    std::string scanTarget;
    std::size_t BatchPieceBytes() const override { return batchPieceBytes; }
    std::string BatchCounterText(int row, int rows) const override {
        if (!textoryBatch) return CShellServices::BatchCounterText(row, rows);
        char text[64];
        std::snprintf(text, sizeof text, "%6d/%6d", row, rows);
        return text;
    }
    std::string BatchScanTarget() const override { return textoryBatch ? scanTarget : scanName; }
    void SetBatchScanTarget(const std::string& name) override {
        if (textoryBatch) scanTarget = name;
        else scanName = name;
    }
    RECT BatchPanelMargins() const override {
        return textoryBatch ? RECT{0, 0, 200, 0} : CShellServices::BatchPanelMargins();
    }
};
