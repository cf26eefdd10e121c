// The shell's contract (shell/tests/shell_contract_cases.h) run against
// Scribant's own shell (the application with its main frame) and the
// scripted shell the other subsystems' tests use.
#include <memory>

// The framework's definitions come before the shell's own fallbacks.
#include "shell/app/tests/scribant_fixture.h"
#include "shell/tests/fake_shell_services.h"
#include "shell/tests/shell_contract_cases.h"

namespace scribanttest {
namespace {

using shellcontract::NamedShell;
using shellcontract::ShellContract;
using shellcontract::ShellUnderTest;

class ScriptedShell : public ShellUnderTest {
public:
    CShellServices* Shell() override { return &fake_; }

private:
    CFakeShellServices fake_;
};

// The started program in a home of its own.
class ScribantShell : public ShellUnderTest {
public:
    ScribantShell() {
        home_.SetUp();
        started_ = home_.Start();
    }
    ~ScribantShell() override { home_.TearDown(); }
    CShellServices* Shell() override { return started_ ? home_.App() : nullptr; }

private:
    struct Home : ScribantHome {
        using ScribantHome::SetUp;
        using ScribantHome::Start;
        using ScribantHome::TearDown;
        TestScribantApp* App() { return app_.get(); }
        void TestBody() override {}
    } home_;
    bool started_ = false;
};

INSTANTIATE_TEST_SUITE_P(Shells, ShellContract,
                         ::testing::Values(NamedShell{"Scripted", [] { return std::make_unique<ScriptedShell>(); }},
                                           NamedShell{"Program", [] { return std::make_unique<ScribantShell>(); }}),
                         shellcontract::ShellName);

}  // namespace
}  // namespace scribanttest
