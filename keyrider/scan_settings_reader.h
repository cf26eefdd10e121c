// The scan settings block of a job: the button's scanner settings from the
// job ini, the paper table and the blank-page thresholds, in the 288-byte
// record the scan library takes; and the global edge-fill values the job
// reads beside it.
#pragma once

#include <string>
#include <vector>

#include "keyrider/blank_page_table.h"
#include "keyrider/job_profile.h"
#include "outside/include/keyrider_scan.h"

namespace keyrider {

struct EdgeFillGlobals {
    int color = 0, gray = 0, bw = 0, allSame = 0;
    double top = 0, left = 0, right = 0, bottom = 0;
    DWORD flags = 0;  // 2: the margins are in the other unit ("Unit" nonzero)
};

struct ScanSettingsSources {
    std::string section;     // the button number
    std::string sourceName;  // "Reflection", "Positive", "Negative", "ADF", "Sheetfed", "Auto Source"
    std::vector<KEYRIDER_PAPER> papers;
    const BlankPageTable* blankPages = nullptr;
};

// Clears `block` and fills it; the edge-fill values of "Global Setting" go to `edgeFill`.
void ReadScanSettings(const JobProfile& profile, const ScanSettingsSources& sources, SCAN_SETTINGS* block,
                      EdgeFillGlobals* edgeFill);

}  // namespace keyrider
