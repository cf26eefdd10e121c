// The application object shared by the user-interface tests, and helpers.
#pragma once

#include <QImage>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/afx/afxwin.h"
#include "platform/afx/ui/tests/pump_until.h"

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("UiTests") {}
    BOOL InitInstance() override { return TRUE; }
};

// Makes the window-system application once.
void EnsureUi();

// The window's picture as the window system shows it.
QImage Picture(CWnd* w);
// How many pixels of `area` of `img` are `colour`.
int PixelsOf(const QImage& img, const QRect& area, QRgb colour);

// Loads the sample program's resource module once and makes it the resource
// handle; FALSE when it is missing.
bool UseSampleResources();

// A frame that records the commands of the sample's menus and tool bar in
// order, and whose zoom-in command is enabled at will.
class CommandFrame : public CFrameWnd {
public:
    std::vector<UINT> m_commands;
    BOOL m_zoomEnabled = FALSE;
    void OnCommandRange(UINT id) { m_commands.push_back(id); }
    void OnUpdateZoom(CCmdUI* ui) { ui->Enable(m_zoomEnabled); }
    DECLARE_MESSAGE_MAP()
};

// Tests whose message boxes and dialogs are answered by the test script.
class ScriptedUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        AfxTestScript::Enable(true);
        AfxTestScript::Clear();
    }
    void TearDown() override {
        AfxTestScript::Clear();
        AfxTestScript::Enable(false);
    }
};

// Tests of a frame of class Frame loaded from the sample's resources `frameId`.
template <class Frame, UINT frameId>
class SampleFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(UseSampleResources());
        frame = new Frame;
        ASSERT_TRUE(frame->LoadFrame(frameId));
    }
    void TearDown() override {
        if (frame && frame->m_hWnd) frame->DestroyWindow();
        AfxPumpMessages();
        AfxTestScript::Clear();
        AfxTestScript::Enable(false);
    }
    Frame* frame = nullptr;
};
