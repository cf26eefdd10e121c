// Paints the task bar (and the scan-to bar) into a device context from their
// states: the bar's background, its buttons with their faces and captions,
// the radios, the drop-down captions and the step text with the progress
// strip over it. The windows call it from their paint handlers; tests paint
// into a bitmap.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afxwin.h"
#include "textory/taskbar/workflow_bar_state.h"

namespace textory {

// Where each control of the task bar sits in a client area of this size.
constexpr int kWorkflowBarWidth = 640;
constexpr int kWorkflowBarHeight = 40;
struct BarControlPlace {
    int control;
    RECT rect;
};
std::vector<BarControlPlace> WorkflowBarLayout();
// The control at a client point of the bar, 0 over the bar's own background
// (where a press drags the bar).
int WorkflowBarControlAt(POINT point);

void PaintWorkflowBar(CDC& dc, const CWorkflowBarState& state, int langCode);

// The scan-to bar at width `width`: the button "扫描到:" and the target box.
struct ScanToBarLayout {
    RECT button;
    RECT combo;
};
// Widths under 200 keep the places of a 200-pixel bar.
ScanToBarLayout LayoutScanToBar(int width);
void PaintScanToBar(CDC& dc, int width, int height, const std::string& target);

}  // namespace textory
