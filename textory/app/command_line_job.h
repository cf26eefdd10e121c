// The road of the command-line job, apart from any window: the job's page
// arrives, is recognised once, its output is written once, and the program
// closes with the status that says how far it got. Pages the workflow opens
// or recognises later are not the job's: they never write the job's output
// nor close the program.
#pragma once

#include <string>

#include "textory/app/command_line_output.h"
#include "textory/app/textory_ids.h"

namespace textory {

class CCommandLineJob {
public:
    enum class Step { kNone, kLoading, kRecognising, kWriting, kDone };
    enum class Action { kNothing, kRecognise, kWriteOutput, kClose };

    // A job on `input` (Windows-style, absolute) writing `output`.
    void Start(const std::string& input, const std::string& output);

    // A page reached the document, `documentPath` being its path.
    Action OnPageArrived(bool attached, const std::string& documentPath);
    // A page recognition ended on the document at `documentPath`.
    Action OnRecognitionEnded(bool recognised, const std::string& documentPath);
    // The output was written (or not): always closes.
    Action OnOutputWritten(OutputOutcome outcome);
    // The window closes: a job still under way ends as not written.
    void OnClosing();

    Step CurrentStep() const { return step_; }
    bool IsRunning() const { return step_ != Step::kNone && step_ != Step::kDone; }
    bool WasRecognised() const { return recognised_; }
    ExitStatus Status() const { return status_; }
    const std::string& Input() const { return input_; }
    const std::string& Output() const { return output_; }

private:
    bool isJobPage(const std::string& documentPath) const;
    void finish(ExitStatus status);

    std::string input_, output_;
    Step step_ = Step::kNone;
    bool recognised_ = false;
    ExitStatus status_ = kExitWritten;
};

}  // namespace textory
