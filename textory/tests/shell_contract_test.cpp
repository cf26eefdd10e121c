// The shell's contract (shell/tests/shell_contract_cases.h) run against
// Textory's shell: the second program's application and main frame answer
// the document, the task and the views as Scribant's do. The program is
// started on a job whose image cannot be read, so that it waits, its list
// emptied, with no page open.
#include <memory>

// The framework's definitions come before the shell's own fallbacks.
#include "textory/tests/waiting_textory.h"
#include "shell/tests/shell_contract_cases.h"

namespace {

using shellcontract::NamedShell;
using shellcontract::ShellContract;
using shellcontract::ShellUnderTest;

class TextoryShell : public ShellUnderTest {
public:
    CShellServices* Shell() override { return program_.App(); }

private:
    textorytest::WaitingTextory program_;
};

INSTANTIATE_TEST_SUITE_P(Shells, ShellContract,
                         ::testing::Values(NamedShell{"Textory", [] { return std::make_unique<TextoryShell>(); }}),
                         shellcontract::ShellName);

}  // namespace
