// The widget behind plain framework windows: it shows the window's surface
// (what its WM_PAINT drew) and the caret.
#pragma once

#include <QWidget>

#include "platform/afx/ui/ui_private.h"

namespace afx_detail {

class AfxWindowWidget : public QWidget {
public:
    explicit AfxWindowWidget(QWidget* parent);

    // An input method asks where the caret is (to put its candidates there).
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void paintEvent(QPaintEvent* e) override;
};

void InstallBridge(QWidget* w);

// The caret of the calling thread (one at a time, as the window system has).
struct CaretState {
    HWND hwnd = nullptr;
    QRect rect;
    int hideCount = 1;
    bool blinkOn = true;
};
CaretState& Caret();

}  // namespace afx_detail
