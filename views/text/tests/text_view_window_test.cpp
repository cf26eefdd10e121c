// The text view as a window: typing through the keyboard in the GB and Big5
// code pages, the panel's two layouts, clicks on the panel, the page view's
// frame, and pictures of the whole view.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include "imaging/page_image.h"
#include "platform/afx/ui/testing.h"
#include "platform/win/codepage.h"
#include "platform/win/library.h"
#include "views/text/tests/text_view_fixtures.h"
#include "views/page_view/ocr_view.h"
#include "views/text/text_view.h"

namespace {

class TextViewWindow : public ::testing::Test {
protected:
    CFakeViewHost shell;
    HMODULE strings = nullptr;
    COcrDoc doc;
    CFrameWnd* frame = nullptr;
    COcrView* pageView = nullptr;
    CTextView* view = nullptr;

    void SetUp() override {
        AfxWinInit();
        shell.languageId = GetACP() == 950 ? 1028 : 1033;
        strings = LoadLibraryA(GetACP() == 950 ? "\\Ruvozidever.DLL" : "\\Ruvuradavad.DLL");
        ASSERT_NE(strings, nullptr);
        AfxSetResourceHandle(strings);
        doc.m_bAutoDelete = FALSE;
        frame = new CFrameWnd;
        frame->Create(nullptr, "TextView");
        frame->MoveWindow(0, 0, 700, 480);
        CCreateContext context;
        context.m_pCurrentDoc = &doc;
        pageView = new COcrView;
        pageView->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame, AFX_IDW_PANE_FIRST + 1, &context);
        view = new CTextView;
        ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 680, 440), frame,
                                 AFX_IDW_PANE_FIRST, &context));
        ASSERT_EQ(shell.textView, view) << "the view registers itself";
        frame->ShowWindow(SW_SHOW);
    }
    void TearDown() override {
        frame->DestroyWindow();
        AfxPumpMessages();
        EXPECT_EQ(shell.textView, nullptr);
        AfxSetResourceHandle(nullptr);
        if (strings) FreeLibrary(strings);
    }

    // A page of recognised characters over a page image with ink under them.
    void LoadPage(const std::string& text, const std::vector<RecoCharInfo>& records, const std::vector<int>& regions) {
        ASSERT_TRUE(GiveBlankPage(doc, 600, 300));
        for (int y = 22; y < 38; y += 5) doc.m_pImage->DrawLine(12, y, 300, y, 2);
        for (int x = 14; x < 300; x += 24) doc.m_pImage->DrawLine(x, 20, x + 14, 40, 2);
        ASSERT_TRUE(LoadText(doc, text, records));
        ASSERT_TRUE(GiveRegions(doc, regions, 600, 300));
        view->ResetView(TRUE);
        view->SetFocus();
        view->UpdateWindow();
    }
    void Recognised(std::string* text, std::vector<RecoCharInfo>* records, const char* codes, const char* classes) {
        for (int i = 0; codes[2 * i]; ++i) {
            RecoCharInfo r = MakeRecord(0, 0, classes[i], static_cast<SHORT>(12 + 24 * i), 20, 20, 20);
            r.wCand[0] = static_cast<WORD>(static_cast<BYTE>(codes[2 * i]) | (static_cast<BYTE>(codes[2 * i + 1]) << 8));
            r.wCand[1] = 0xC4CE;
            r.wCand[2] = 0xD6D7;
            *text += RecoUnit(static_cast<BYTE>(codes[2 * i]), static_cast<BYTE>(codes[2 * i + 1]),
                              static_cast<unsigned>(records->size()));
            records->push_back(r);
        }
    }
    std::string Plain() const { return doc.PlainText(0, doc.m_nTextLen); }
    std::string Grab(const char* name) {
        QString dir = QCoreApplication::applicationDirPath() + "/../test-output/views";
        QDir().mkpath(dir);
        std::string path = (dir + "/" + name).toStdString();
        frame->UpdateWindow();
        view->UpdateWindow();
        EXPECT_TRUE(frame->GrabToFile(path.c_str()));
        return path;
    }
    CRect PanelRect() {
        CRect rc;
        view->Panel().GetWindowRect(&rc);
        view->ScreenToClient(&rc);
        return rc;
    }
};

TEST_F(TextViewWindow, GbTypingThroughTheKeyboard) {
    if (GetACP() != 936) GTEST_SKIP() << "needs code page 936";
    LoadPage("ab\r\ncd\r\n", {}, {2});
    ASSERT_TRUE(view->OwnsCaret());
    AfxTestKey(view, VK_RIGHT);
    AfxTestKey(view, 0, "中");
    AfxTestKey(view, 0, "文");
    EXPECT_EQ(Plain(), "a\xD6\xD0\xCE\xC4" "b\r\ncd\r\n") << "each character arrives as its two GBK bytes";
    EXPECT_EQ(view->Controller().caretCol(), 5);
    EXPECT_EQ(shell.statusPanes[5], FormatCaretStatus(1, 6));
    AfxTestKey(view, VK_RETURN, "\r");
    EXPECT_EQ(Plain(), "a\xD6\xD0\xCE\xC4\r\nb\r\ncd\r\n");
    EXPECT_EQ(doc.m_pPageRegion->GetChild(0)->m_nLines, 3);
    AfxTestKey(view, VK_BACK, "\b");
    EXPECT_EQ(Plain(), "a\xD6\xD0\xCE\xC4" "b\r\ncd\r\n");
    AfxTestKey(view, 'Z', nullptr, MK_CONTROL);
    AfxTestKey(view, 'Z', nullptr, MK_CONTROL);
    AfxTestKey(view, 'Z', nullptr, MK_CONTROL);
    AfxTestKey(view, 'Z', nullptr, MK_CONTROL);
    view->SendMessage(WM_COMMAND, ID_EDIT_UNDO);
    view->SendMessage(WM_COMMAND, ID_EDIT_UNDO);
    view->SendMessage(WM_COMMAND, ID_EDIT_UNDO);
    view->SendMessage(WM_COMMAND, ID_EDIT_UNDO);
    EXPECT_EQ(Plain(), "ab\r\ncd\r\n");
    // In overwrite mode a typed character replaces the one after the caret.
    shell.insertMode = false;
    AfxTestKey(view, VK_HOME);
    AfxTestKey(view, 0, "x");
    EXPECT_EQ(Plain(), "xb\r\ncd\r\n") << "overwrite";
}

class TextViewBig5 : public TextViewWindow {};

TEST_F(TextViewBig5, TypingInCodePage950) {
    if (GetACP() != 950) GTEST_SKIP() << "runs in its own process with code page 950";
    LoadPage("ab\r\n", {}, {1});
    AfxTestKey(view, VK_END);
    AfxTestKey(view, 0, "中");
    AfxTestKey(view, 0, "文");
    EXPECT_EQ(Plain(), "ab\xA4\xA4\xA4\xE5\r\n") << "each character arrives as its two Big5 bytes";
    // A Big5 trail byte below 0x7F pairs too.
    AfxTestKey(view, 0, "功");
    EXPECT_EQ(Plain(), "ab\xA4\xA4\xA4\xE5\xA5\x5C\r\n");
    EXPECT_EQ(view->Controller().caretCol(), 8);
}

TEST_F(TextViewWindow, ThePanelSitsInTheBandOrTheCorner) {
    std::string text;
    std::vector<RecoCharInfo> recs;
    Recognised(&text, &recs, "\xD6\xD0\xCE\xC4", "DA");
    LoadPage(text + "\r\nplain\r\n", recs, {2});
    CRect client;
    view->GetClientRect(&client);
    EXPECT_EQ(PanelRect(), CRect(0, 0, client.Width(), 64));
    EXPECT_EQ(view->Controller().TextArea().top, 64);
    // The move button (item 12) of the band.
    const RECT move = view->Panel().Layout().Item(12).rc;
    AfxTestClick(&view->Panel(), POINT{(move.left + move.right) / 2, (move.top + move.bottom) / 2});
    EXPECT_TRUE(view->Panel().IsCompact());
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(PanelRect(), CRect(client.Width() - bar, 0, client.Width(), 64));
    EXPECT_EQ(view->Controller().TextArea().top, 0);
    // The expand button (item 1 of the column) brings the band back.
    const RECT expand = view->Panel().Layout().Item(1).rc;
    AfxTestClick(&view->Panel(), POINT{(expand.left + expand.right) / 2, (expand.top + expand.bottom) / 2});
    EXPECT_FALSE(view->Panel().IsCompact());
    EXPECT_EQ(view->Controller().TextArea().top, 64);
}

TEST_F(TextViewWindow, ACandidateClickReplacesTheCaretCharacterAndThePageViewFramesIt) {
    std::string text;
    std::vector<RecoCharInfo> recs;
    Recognised(&text, &recs, "\xD6\xD0\xCE\xC4", "DA");
    LoadPage(text + "\r\n", recs, {1});
    EXPECT_EQ(CRect(pageView->Controller().CurrentChar()), CRect(12, 20, 31, 39));
    EXPECT_EQ(view->Panel().Layout().ItemText(2), 0xC4CE);
    const RECT second = view->Panel().Layout().Item(2).rc;
    AfxTestClick(&view->Panel(), POINT{(second.left + second.right) / 2, (second.top + second.bottom) / 2});
    EXPECT_EQ(std::string(doc.Text()), RecoUnit(0xCE, 0xC4, 0) + RecoUnit(0xCE, 0xC4, 1) + "\r\n");
    EXPECT_EQ(doc.Record(0)->chClass, 'A');
    EXPECT_EQ(view->Controller().caretCol(), 2);
    EXPECT_EQ(CRect(pageView->Controller().CurrentChar()), CRect(36, 20, 55, 39)) << "the next character is framed";
    // Ctrl+F3 takes the third candidate as the panel shows it.
    view->SendMessage(WM_COMMAND, ID_CANDIDATE_1 + 2);
    EXPECT_EQ(std::string(doc.Text()), RecoUnit(0xCE, 0xC4, 0) + RecoUnit(0xD7, 0xD6, 1) + "\r\n");
}

TEST_F(TextViewWindow, PicturesOfTheView) {
    std::string text = "Proofreading page\r\n";
    std::vector<RecoCharInfo> recs;
    std::string line;
    Recognised(&line, &recs, "\xD6\xD0\xCE\xC4\xCA\xB6\xB1\xF0\xB2\xE2\xCA\xD4\xD2\xB3\xC3\xE6", "ADAEACFA");
    text += line + "\r\nplain text line\r\n";
    for (int i = 0; i < 6; ++i) text += "more text " + std::to_string(i) + "\r\n";
    LoadPage(text, recs, {static_cast<int>(9)});
    // A selection from line 4 up to the third character of the recognised line, where the caret stays.
    for (int i = 0; i < 4; ++i) AfxTestKey(view, VK_DOWN);
    AfxTestKey(view, VK_RIGHT);
    AfxTestKey(view, VK_RIGHT);
    view->Controller().OnKeyDown(VK_UP, true, false);
    view->Controller().OnKeyDown(VK_UP, true, false);
    view->Controller().OnKeyDown(VK_UP, true, false);
    ASSERT_EQ(view->Controller().caretRow(), 1);
    ASSERT_TRUE(view->Controller().StripShown());
    view->Invalidate(FALSE);
    const std::string full = Grab("text_view_full_panel.png");
    QImage picture(QString::fromStdString(full));
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(view->Renderer().StripDrawn());

    const RECT move = view->Panel().Layout().Item(12).rc;
    AfxTestClick(&view->Panel(), POINT{(move.left + move.right) / 2, (move.top + move.bottom) / 2});
    view->Invalidate(FALSE);
    Grab("text_view_compact_panel.png");
    doc.Reset();
    view->ResetView(TRUE);
    Grab("text_view_no_result.png");
}

TEST_F(TextViewWindow, TheContextMenuGreysWhatCannotBeDone) {
    if (GetACP() != 936) GTEST_SKIP() << "needs code page 936";
    LoadPage("abc\r\ndef\r\n", {}, {2});
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    // Nothing selected and nothing to undo: copy is greyed and cannot be chosen.
    AfxTestScript::QueueAnswer(ID_EDIT_COPY);
    AfxTestMouse(view, WM_RBUTTONDOWN, POINT{20, 100});
    AfxPumpMessages();
    std::vector<AfxShownRecord> shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, "menu");
    ASSERT_EQ(shown[0].buttons.size(), 7u) << "undo, cut, copy, paste, select all and two separators";
    EXPECT_EQ(shown[0].buttons[0], suite::Utf8ToAnsi("撤销", 936));
    EXPECT_EQ(shown[0].buttons[6], suite::Utf8ToAnsi("全选", 936));
    EXPECT_EQ(shown[0].result, 0);
    // Select all is there; then copy is.
    AfxTestScript::QueueAnswer(ID_EDIT_SELECT_ALL);
    AfxTestMouse(view, WM_RBUTTONDOWN, POINT{20, 100});
    AfxPumpMessages();
    EXPECT_TRUE(view->Controller().HasSelection());
    AfxTestScript::QueueAnswer(ID_EDIT_COPY);
    AfxTestMouse(view, WM_RBUTTONDOWN, POINT{20, 100});
    AfxPumpMessages();
    shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].result, ID_EDIT_SELECT_ALL);
    EXPECT_EQ(shown[2].result, ID_EDIT_COPY);
    AfxTestScript::Clear();
    AfxTestScript::Enable(false);
}

}  // namespace
