#include "textory/app/command_line_job.h"

#include "platform/win/codepage.h"

namespace textory {

void CCommandLineJob::Start(const std::string& input, const std::string& output) {
    input_ = input;
    output_ = output;
    step_ = Step::kLoading;
    recognised_ = false;
    status_ = kExitOutputNotWritten;
}

bool CCommandLineJob::isJobPage(const std::string& documentPath) const {
    // Paths compare as the file system of the original does: without case.
    return suite::AnsiToLower(documentPath) == suite::AnsiToLower(input_);
}

void CCommandLineJob::finish(ExitStatus status) {
    status_ = status;
    step_ = Step::kDone;
}

CCommandLineJob::Action CCommandLineJob::OnPageArrived(bool attached, const std::string& documentPath) {
    if (step_ != Step::kLoading || !isJobPage(documentPath)) return Action::kNothing;
    if (!attached) {
        finish(kExitImageUnreadable);
        return Action::kClose;
    }
    step_ = Step::kRecognising;
    return Action::kRecognise;
}

CCommandLineJob::Action CCommandLineJob::OnRecognitionEnded(bool recognised, const std::string& documentPath) {
    if (step_ != Step::kRecognising || !isJobPage(documentPath)) return Action::kNothing;
    recognised_ = recognised;
    step_ = Step::kWriting;
    return Action::kWriteOutput;
}

CCommandLineJob::Action CCommandLineJob::OnOutputWritten(OutputOutcome outcome) {
    if (step_ != Step::kWriting) return Action::kNothing;
    switch (outcome) {
    case OutputOutcome::kWritten: finish(kExitWritten); break;
    case OutputOutcome::kNothingRecognised: finish(kExitNothingRecognised); break;
    case OutputOutcome::kWrongName:
    case OutputOutcome::kNotWritten: finish(kExitOutputNotWritten); break;
    }
    return Action::kClose;
}

void CCommandLineJob::OnClosing() {
    if (IsRunning()) finish(kExitOutputNotWritten);
}

}  // namespace textory
