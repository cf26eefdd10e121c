// Command routing through view, document, frame and application, and the
// update handlers of user-interface items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/afx/ui/tests/test_app.h"

namespace {

enum : UINT { ID_ALL = 40001, ID_DOC_UP, ID_FRAME_UP, ID_APP_ONLY, ID_NOBODY, ID_RANGE_A, ID_RANGE_B, ID_UPDATED, ID_PASSED };

std::vector<std::string> g_calls;

class RouteDoc : public CDocument {
    DECLARE_DYNCREATE(RouteDoc)
public:
    void OnAll() { g_calls.push_back("doc:all"); }
    void OnDocUp() { g_calls.push_back("doc:docup"); }
    void OnUpdatePassed(CCmdUI* ui) {
        ui->ContinueRouting();  // leaves the decision to the next target
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(RouteDoc, CDocument)
BEGIN_MESSAGE_MAP(RouteDoc, CDocument)
    ON_COMMAND(ID_ALL, OnAll)
    ON_COMMAND(ID_DOC_UP, OnDocUp)
    ON_UPDATE_COMMAND_UI(ID_PASSED, OnUpdatePassed)
END_MESSAGE_MAP()

class RouteView : public CView {
    DECLARE_DYNCREATE(RouteView)
public:
    void OnDraw(CDC*) override {}
    void OnAll() { g_calls.push_back("view:all"); }
    void OnRange(UINT id) { g_calls.push_back("view:range" + std::to_string(id - ID_RANGE_A)); }
    void OnUpdateUpdated(CCmdUI* ui) {
        ui->Enable(FALSE);
        ui->SetCheck(1);
        ui->SetText("Changed");
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(RouteView, CView)
BEGIN_MESSAGE_MAP(RouteView, CView)
    ON_COMMAND(ID_ALL, OnAll)
    ON_COMMAND_RANGE(ID_RANGE_A, ID_RANGE_B, OnRange)
    ON_UPDATE_COMMAND_UI(ID_UPDATED, OnUpdateUpdated)
END_MESSAGE_MAP()

class RouteFrame : public CFrameWnd {
    DECLARE_DYNCREATE(RouteFrame)
public:
    void OnAll() { g_calls.push_back("frame:all"); }
    void OnDocUp() { g_calls.push_back("frame:docup"); }
    void OnFrameUp() { g_calls.push_back("frame:frameup"); }
    void OnUpdatePassed(CCmdUI* ui) { ui->SetCheck(2); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(RouteFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(RouteFrame, CFrameWnd)
    ON_COMMAND(ID_ALL, OnAll)
    ON_COMMAND(ID_DOC_UP, OnDocUp)
    ON_COMMAND(ID_FRAME_UP, OnFrameUp)
    ON_UPDATE_COMMAND_UI(ID_PASSED, OnUpdatePassed)
END_MESSAGE_MAP()

// The application's own handlers live in a target the test app routes to.
class AppCommands : public CCmdTarget {
public:
    void OnAll() { g_calls.push_back("app:all"); }
    void OnAppOnly() { g_calls.push_back("app:apponly"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(AppCommands, CCmdTarget)
    ON_COMMAND(ID_ALL, OnAll)
    ON_COMMAND(ID_APP_ONLY, OnAppOnly)
    ON_COMMAND(ID_FRAME_UP, OnAll)
END_MESSAGE_MAP()

// Records what an update handler did to the item.
class RecordingCmdUI : public CCmdUI {
public:
    int enabled = -1;
    int checked = -1;
    std::string text;
    void Enable(BOOL on) override {
        enabled = on ? 1 : 0;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int c) override { checked = c; }
    void SetText(LPCTSTR t) override { text = t; }
};

class RoutingTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUi();
        g_calls.clear();
        doc = new RouteDoc;
        frame = new RouteFrame;
        ASSERT_TRUE(frame->Create(nullptr, "Routing"));
        CCreateContext ctx;
        ctx.m_pNewViewClass = RUNTIME_CLASS(RouteView);
        ctx.m_pCurrentDoc = doc;
        view = static_cast<RouteView*>(frame->CreateView(&ctx));
        ASSERT_NE(view, nullptr);
        frame->SetActiveView(view, FALSE);
        ASSERT_EQ(view->GetDocument(), doc);
    }
    void TearDown() override {
        frame->DestroyWindow();  // the view goes with it, then the document
        AfxPumpMessages();
    }
    BOOL Route(UINT id) {
        // WM_COMMAND from a menu item: routed by the frame.
        return static_cast<BOOL>(frame->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0));
    }
    RouteDoc* doc = nullptr;
    RouteFrame* frame = nullptr;
    RouteView* view = nullptr;
};

TEST_F(RoutingTest, ViewThenDocumentThenFrame) {
    Route(ID_ALL);
    Route(ID_DOC_UP);
    Route(ID_FRAME_UP);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"view:all", "doc:docup", "frame:frameup"}));
}

TEST_F(RoutingTest, RangesPassTheCommandId) {
    Route(ID_RANGE_A);
    Route(ID_RANGE_B);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"view:range0", "view:range1"}));
}

TEST_F(RoutingTest, UnhandledCommandsReportNotHandled) {
    EXPECT_FALSE(frame->OnCmdMsg(ID_NOBODY, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(frame->OnCmdMsg(ID_DOC_UP, CN_COMMAND, nullptr, nullptr));
    AFX_CMDHANDLERINFO info{};
    // Looking a handler up does not call it.
    EXPECT_TRUE(frame->OnCmdMsg(ID_ALL, CN_COMMAND, nullptr, &info));
    EXPECT_EQ(info.pTarget, static_cast<CCmdTarget*>(view));
    EXPECT_EQ(g_calls, std::vector<std::string>{"doc:docup"});
}

TEST_F(RoutingTest, WithoutAnActiveViewTheFrameComesFirst) {
    frame->SetActiveView(nullptr, FALSE);
    Route(ID_ALL);
    EXPECT_EQ(g_calls, std::vector<std::string>{"frame:all"});
}

TEST_F(RoutingTest, UpdateHandlersSetTheItemState) {
    RecordingCmdUI ui;
    ui.m_nID = ID_UPDATED;
    EXPECT_TRUE(ui.DoUpdate(frame, TRUE));
    EXPECT_EQ(ui.enabled, 0);
    EXPECT_EQ(ui.checked, 1);
    EXPECT_EQ(ui.text, "Changed");
}

TEST_F(RoutingTest, ItemsWithoutUpdateHandlerFollowTheirCommandHandler) {
    RecordingCmdUI handled, orphan, orphanKept;
    handled.m_nID = ID_DOC_UP;
    orphan.m_nID = ID_NOBODY;
    orphanKept.m_nID = ID_NOBODY;
    EXPECT_FALSE(handled.DoUpdate(frame, TRUE));
    EXPECT_EQ(handled.enabled, 1);
    EXPECT_FALSE(orphan.DoUpdate(frame, TRUE));
    EXPECT_EQ(orphan.enabled, 0);
    EXPECT_FALSE(orphanKept.DoUpdate(frame, FALSE));
    EXPECT_EQ(orphanKept.enabled, -1);
    EXPECT_TRUE(g_calls.empty());  // no command ran while updating
}

TEST_F(RoutingTest, ContinueRoutingHandsTheUpdateOn) {
    RecordingCmdUI ui;
    ui.m_nID = ID_PASSED;
    EXPECT_TRUE(ui.DoUpdate(frame, TRUE));
    EXPECT_EQ(ui.checked, 2);  // the frame's handler decided
}

TEST_F(RoutingTest, ReachesTheApplicationLast) {
    AppCommands app;
    // A target routing to the application, as CFrameWnd does when nobody else handles it.
    EXPECT_FALSE(frame->OnCmdMsg(ID_APP_ONLY, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(app.OnCmdMsg(ID_APP_ONLY, CN_COMMAND, nullptr, nullptr));
    EXPECT_EQ(g_calls, std::vector<std::string>{"app:apponly"});
}

TEST_F(RoutingTest, DocumentsKnowTheirViews) {
    POSITION pos = doc->GetFirstViewPosition();
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(doc->GetNextView(pos), view);
    EXPECT_EQ(pos, nullptr);
    EXPECT_EQ(view->GetParentFrame(), frame);
    EXPECT_EQ(frame->GetActiveDocument(), doc);
}

}  // namespace
