// Textory started in this process as a test's program: its job names an
// image that cannot be read, so the job ends at once and the program waits,
// its page list emptied, no page open, in a home of its own.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "shell/app/tests/scribant_fixture.h"
#include "textory/app/textory_app.h"

namespace textorytest {

class QuietTextoryApp : public CTextoryApp {
public:
    int closeRequests = 0;

protected:
    WORD ReadSystemLanguage() const override { return 2052; }
    void StartupMessage(const std::string&) override {}
    void ErrorLine(const std::string&) override {}
    void CloseMainWindow() override { ++closeRequests; }
};

class WaitingTextory {
public:
    WaitingTextory() {
        home_.SetUp();
        const std::filesystem::path image = home_.Root() / "unreadable.tif";
        std::ofstream(image) << "not a picture";
        app_ = std::make_unique<QuietTextoryApp>();
        app_->m_args.emplace_back(image.c_str());
        app_->m_args.emplace_back((home_.Root() / "out.txt").c_str());
        if (!app_->InitInstance() || !app_->m_pMainWnd) return;
        // The job ends at once (its image unreadable) and asks to close.
        if (!scribanttest::PumpUntil([&] { return app_->closeRequests > 0; }, 20000)) return;
        app_->PageListDeleteAll();
        started_ = app_->PageListRowCount() == 0;
    }
    ~WaitingTextory() {
        if (app_ && app_->m_pMainWnd) {
            app_->m_pMainWnd->DestroyWindow();
            app_->m_pMainWnd = nullptr;
        }
        if (app_) app_->ExitInstance();
        app_.reset();
        home_.TearDown();
    }
    WaitingTextory(const WaitingTextory&) = delete;
    WaitingTextory& operator=(const WaitingTextory&) = delete;

    // The program once it waits; null when it did not get there.
    QuietTextoryApp* App() { return started_ ? app_.get() : nullptr; }
    const std::filesystem::path& Root() const { return home_.Root(); }

private:
    struct Home : scribanttest::ScribantHome {
        using ScribantHome::SetUp;
        using ScribantHome::TearDown;
        const std::filesystem::path& Root() const { return root_; }
        void TestBody() override {}
    } home_;
    std::unique_ptr<QuietTextoryApp> app_;
    bool started_ = false;
};

}  // namespace textorytest
