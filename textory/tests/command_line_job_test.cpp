// The job's road apart from any window: only the job's own page is
// recognised and written, once; every outcome ends with its status.
#include "textory/app/command_line_job.h"

#include <gtest/gtest.h>

namespace {

using textory::CCommandLineJob;
using Action = CCommandLineJob::Action;

TEST(TextoryJobRoad, ThePageOfTheJobRunsThroughToItsOutput) {
    CCommandLineJob job;
    job.Start("C:\\S\\A.jpg", "C:\\S\\out.txt");
    EXPECT_TRUE(job.IsRunning());
    EXPECT_EQ(job.Status(), textory::kExitOutputNotWritten);
    // Another page (the workflow's) is not the job's; the path compares without case.
    EXPECT_EQ(job.OnPageArrived(true, "C:\\S\\other.jpg"), Action::kNothing);
    EXPECT_EQ(job.OnRecognitionEnded(true, "c:\\s\\a.JPG"), Action::kNothing) << "not yet recognising";
    EXPECT_EQ(job.OnPageArrived(true, "c:\\s\\a.JPG"), Action::kRecognise);
    EXPECT_EQ(job.OnRecognitionEnded(true, "C:\\S\\other.jpg"), Action::kNothing);
    EXPECT_EQ(job.OnRecognitionEnded(true, "C:\\S\\A.jpg"), Action::kWriteOutput);
    // A second recognition of the same page writes nothing more.
    EXPECT_EQ(job.OnRecognitionEnded(true, "C:\\S\\A.jpg"), Action::kNothing);
    EXPECT_EQ(job.OnOutputWritten(textory::OutputOutcome::kWritten), Action::kClose);
    EXPECT_EQ(job.Status(), textory::kExitWritten);
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(job.OnOutputWritten(textory::OutputOutcome::kNotWritten), Action::kNothing);
    job.OnClosing();
    EXPECT_EQ(job.Status(), textory::kExitWritten);
}

TEST(TextoryJobRoad, EachWayOutHasItsStatus) {
    {
        CCommandLineJob job;
        job.Start("C:\\A.jpg", "C:\\o.txt");
        EXPECT_EQ(job.OnPageArrived(false, "C:\\A.jpg"), Action::kClose);
        EXPECT_EQ(job.Status(), textory::kExitImageUnreadable);
        EXPECT_EQ(job.OnPageArrived(true, "C:\\A.jpg"), Action::kNothing);
    }
    const std::pair<textory::OutputOutcome, textory::ExitStatus> outcomes[] = {
        {textory::OutputOutcome::kNothingRecognised, textory::kExitNothingRecognised},
        {textory::OutputOutcome::kNotWritten, textory::kExitOutputNotWritten},
        {textory::OutputOutcome::kWrongName, textory::kExitOutputNotWritten},
    };
    for (const auto& [outcome, status] : outcomes) {
        CCommandLineJob job;
        job.Start("C:\\A.jpg", "C:\\o.txt");
        job.OnPageArrived(true, "C:\\A.jpg");
        job.OnRecognitionEnded(false, "C:\\A.jpg");
        EXPECT_FALSE(job.WasRecognised());
        EXPECT_EQ(job.OnOutputWritten(outcome), Action::kClose);
        EXPECT_EQ(job.Status(), status);
    }
    // Closed by hand before the page was done.
    CCommandLineJob job;
    job.Start("C:\\A.jpg", "C:\\o.txt");
    job.OnPageArrived(true, "C:\\A.jpg");
    job.OnClosing();
    EXPECT_EQ(job.Status(), textory::kExitOutputNotWritten);
    EXPECT_EQ(job.OnRecognitionEnded(true, "C:\\A.jpg"), Action::kNothing);
}

}  // namespace
