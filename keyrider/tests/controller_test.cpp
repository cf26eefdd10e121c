// The controller without windows: status events, button commands, exit and
// the presence poll, against a recording view.
#include <gtest/gtest.h>

#include "keyrider/keyrider_controller.h"
#include "platform/afx/ui/winuser.h"

namespace {

struct View : keyrider::KeyriderView {
    std::vector<std::string> seen;
    int answer = IDYES;
    void SetTrayIcon(bool c) override { seen.push_back(c ? "icon on" : "icon off"); }
    void PostCommand(unsigned id) override { seen.push_back("post " + std::to_string(id)); }
    void HideDialog() override { seen.push_back("hide"); }
    void EnableDialog(bool e) override { seen.push_back(e ? "enable" : "disable"); }
    void UpdateEjectMenu(bool c) override { seen.push_back(c ? "eject on" : "eject off"); }
    void FirstConnect() override { seen.push_back("first connect"); }
    int Ask(const std::string& t) override {
        seen.push_back("ask " + t);
        return answer;
    }
    void Stop(const std::string& t) override { seen.push_back("stop " + t); }
    void Quit() override { seen.push_back("quit"); }
    void StartUtility(const std::string& e) override { seen.push_back("utility " + e); }
};

struct ControllerTest : ::testing::Test {
    KEYRIDER_SETTINGS settings{};
    keyrider::ButtonModel buttons{settings};
    View view;
    keyrider::KeyriderController controller{buttons, view};
};

TEST_F(ControllerTest, ConnectionEventsAndFirstConnectOnce) {
    EXPECT_EQ(controller.OnScanStatus(1, 1), 2);
    EXPECT_EQ(controller.OnScanStatus(1, 0), 2);
    EXPECT_EQ(controller.OnScanStatus(1, 5), 2);
    EXPECT_EQ(view.seen, (std::vector<std::string>{"icon on", "first connect", "eject on", "icon off", "eject off", "hide",
                                                   "icon on", "eject on"}));
    controller.hide = true;
    view.seen.clear();
    controller.OnScanStatus(1, 0);
    EXPECT_EQ(view.seen, (std::vector<std::string>{"eject off", "hide"}));
    controller.skipButtons = true;
    view.seen.clear();
    EXPECT_EQ(controller.OnScanStatus(1, 1), 1);
    EXPECT_EQ(controller.OnScanStatus(2, 1), 1);
    EXPECT_TRUE(view.seen.empty());
}

TEST_F(ControllerTest, ButtonsNotConfiguredPostNothingAndBadCommandsRunNothing) {
    // No buttons are loaded: every press and every button command is ignored.
    for (int value : {0, -1, 1, 17, 19, 20, 1000}) EXPECT_EQ(controller.OnScanStatus(2, value), 1);
    EXPECT_TRUE(view.seen.empty());
    EXPECT_FALSE(controller.OnCommand(keyrider::ButtonCommandId(1)));
    EXPECT_EQ(controller.ButtonsRun(), 0);
    EXPECT_EQ(keyrider::ButtonFromCommand(32774), 0);
    EXPECT_EQ(keyrider::ButtonFromCommand(32786), 0);
    EXPECT_EQ(keyrider::ButtonFromCommand(32791), 0);
    EXPECT_EQ(keyrider::ButtonFromCommand(32793), 0);
    EXPECT_EQ(keyrider::ButtonFromCommand(32775), 1);
    EXPECT_EQ(keyrider::ButtonFromCommand(32783), 9);
    for (int n : {1, 9, 10, 12, 17, 19, 20, 99})
        EXPECT_EQ(keyrider::ButtonFromCommand(keyrider::ButtonCommandId(n)), n);
}

TEST_F(ControllerTest, ExitAsksUnlessQuiet) {
    controller.exitQuestion = "Exit Keyrider?";
    view.answer = IDNO;
    controller.OnCommand(keyrider::kCmdExit);
    EXPECT_FALSE(controller.Ended());
    EXPECT_EQ(view.seen, (std::vector<std::string>{"ask Exit Keyrider?"}));
    view.seen.clear();
    controller.OnCommand(keyrider::kCmdQuit);
    controller.OnCommand(keyrider::kCmdExit);
    EXPECT_TRUE(controller.Ended());
    EXPECT_EQ(view.seen, (std::vector<std::string>{"quit"}));
    controller.OnCommand(keyrider::kCmdExit);
    EXPECT_EQ(view.seen.size(), 1u);  // once
}

keyrider::KeyriderController* g_controller = nullptr;
int g_nested = 0;
int NestedPresence() {
    if (g_controller->Poll(NestedPresence)) ++g_nested;
    return 1;
}

TEST_F(ControllerTest, PollFindsTheScannerWithoutReentry) {
    g_controller = &controller;
    EXPECT_FALSE(controller.Poll([] { return 0; }));
    EXPECT_TRUE(controller.Poll(NestedPresence));
    EXPECT_EQ(g_nested, 0);
    EXPECT_TRUE(controller.scannerPresent);
    controller.utilityExe = "/bin/true";
    controller.OnCommand(keyrider::kCmdScannerUtility);
    EXPECT_EQ(view.seen.back(), "utility /bin/true");
}

}  // namespace
