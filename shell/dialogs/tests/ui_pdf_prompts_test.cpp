// The program's PDF prompts: a question of another thread is answered by the
// dialog on this (the user-interface) thread; the asking thread gives up on
// its stop event or once the prompts are shut down, and the dialog it left
// closes by itself.
#include "shell/dialogs/ui_pdf_prompts.h"

#include <chrono>
#include <future>
#include <thread>

#include "platform/win/sync.h"
#include "shell/dialogs/pdf_password_dlg.h"
#include "shell/dialogs/tests/dialog_test_fixture.h"

namespace {

using namespace std::chrono_literals;

class UiPdfPrompts : public ShellDialogTest {
protected:
    // Pumps this thread's messages until the future is ready (bounded).
    template <class T>
    bool PumpUntilReady(std::future<T>& f, std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (f.wait_for(1ms) != std::future_status::ready) {
            if (std::chrono::steady_clock::now() > end) return false;
            AfxPumpMessages();
        }
        return true;
    }
};

struct Answer {
    bool ok = false;
    std::string password;
};

TEST_F(UiPdfPrompts, AnotherThreadsQuestionIsAnsweredByTheDialogHere) {
    CUiPdfPrompts prompts;
    AfxTestScript::QueueDialogAction(
        [](CWnd* dialog, void*) {
            dialog->SetDlgItemText(IDC_PDF_PASSWORD, "secret");
            static_cast<CDialog*>(dialog)->OnOK();
        },
        nullptr);
    auto asked = std::async(std::launch::async, [&] {
        Answer a;
        a.ok = prompts.AskPassword("C:\\locked.pdf", a.password, nullptr);
        return a;
    });
    ASSERT_TRUE(PumpUntilReady(asked));
    const Answer a = asked.get();
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.password, "secret");

    // Cancelled in the dialog: no password.
    auto cancelled = std::async(std::launch::async, [&] {
        Answer c;
        c.ok = prompts.AskPassword("C:\\locked.pdf", c.password, nullptr);
        return c;
    });
    ASSERT_TRUE(PumpUntilReady(cancelled));
    EXPECT_FALSE(cancelled.get().ok);
}

TEST_F(UiPdfPrompts, TheAskingThreadGivesUpOnItsStopAndTheDialogCloses) {
    AfxTestScript::Enable(false);  // the dialog really waits for a person
    CUiPdfPrompts prompts;
    HANDLE stop = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto asked = std::async(std::launch::async, [&] {
        std::string password;
        return prompts.AskPassword("C:\\locked.pdf", password, stop);
    });
    std::thread stopper([&] {
        std::this_thread::sleep_for(300ms);
        SetEvent(stop);
    });
    const auto start = std::chrono::steady_clock::now();
    // The dialog comes up inside this pump and goes once the thread gave up.
    ASSERT_TRUE(PumpUntilReady(asked));
    stopper.join();
    EXPECT_FALSE(asked.get());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    // The stop stays set for the thread's own checks.
    EXPECT_EQ(WaitForSingleObject(stop, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(stop);
}

TEST_F(UiPdfPrompts, AfterShutdownQuestionsAreCancelledAtOnce) {
    CUiPdfPrompts prompts;
    prompts.Shutdown();
    auto asked = std::async(std::launch::async, [&] {
        std::string password;
        return prompts.AskPassword("C:\\locked.pdf", password, nullptr);
    });
    ASSERT_EQ(asked.wait_for(2s), std::future_status::ready);
    EXPECT_FALSE(asked.get());
}

TEST_F(UiPdfPrompts, AWrongPasswordOfAnotherThreadIsToldHere) {
    CUiPdfPrompts prompts;
    std::thread([&] { prompts.ShowWrongPassword(); }).join();
    for (int i = 0; i < 100 && Messages().empty(); ++i) {
        AfxPumpMessages();
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], Text(61463));
}

}  // namespace
