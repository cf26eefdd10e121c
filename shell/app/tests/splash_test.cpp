// The start-up picture: up after the start, gone at the first idle pass after
// 500 ms or at the first key press, whichever comes first; hand-offs waiting
// meanwhile are opened all the same.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "shell/app/tests/scribant_fixture.h"

namespace scribanttest {
namespace {

using Splash = ScribantHome;

TEST_F(Splash, GoesAtTheFirstIdlePassAfterItsTime) {
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(app_->SplashShown());
    // Its time runs from within the start: on a loaded machine the start
    // alone may take longer, and then the first idle pass takes it down.
    if (std::chrono::steady_clock::now() - before < std::chrono::milliseconds(400)) {
        EXPECT_TRUE(app_->OnIdle(0)) << "more idle time wanted while it is up";
        EXPECT_TRUE(app_->SplashShown());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(550));
    app_->OnIdle(1);
    EXPECT_FALSE(app_->SplashShown());
}

TEST_F(Splash, GoesAtTheFirstKeyPress) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(app_->SplashShown());
    MSG move{};
    move.message = WM_MOUSEMOVE;
    app_->PreTranslateMessage(&move);
    EXPECT_TRUE(app_->SplashShown()) << "a mouse move is no press";
    MSG key{};
    key.hwnd = app_->m_pMainWnd->GetSafeHwnd();
    key.message = WM_KEYDOWN;
    key.wParam = 'A';
    app_->PreTranslateMessage(&key);
    EXPECT_FALSE(app_->SplashShown());
}

}  // namespace
}  // namespace scribanttest
