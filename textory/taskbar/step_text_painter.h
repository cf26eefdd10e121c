// Paints the task bar's step text into a device context: the text on a
// sunken face, or while a recognition reports its progress the strip over it
// (grey, the done part dark blue, the percentage in white).
#pragma once

#include "platform/afx/afxwin.h"
#include "textory/taskbar/workflow_bar_state.h"

namespace textory {

void PaintStepText(CDC& dc, const RECT& rect, const CWorkflowBarState& state);

}  // namespace textory
