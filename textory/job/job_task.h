// The job's page list saved to and opened from a job file (see job_file.h).
// Saving asks for a name while the job has none, writes the file whole or
// not at all and says so when it could not; opening a file that cannot be
// read (missing, unreadable, too large) says so and leaves the page list as
// it was, so that a later save cannot empty a job that was never read.
#pragma once

#include <functional>
#include <string>

#include "platform/win/types.h"

class CTask;

namespace textory {

// The proofreading program's companion of a job file: the job path with its
// last 3 characters replaced by "con" (job.OCR → job.con).
std::string CompanionPath(const std::string& jobPath);

class CJobFiles {
public:
    // `addRecent` puts a job path into the recent-file list.
    CJobFiles(CTask& task, std::function<void(const std::string&)> addRecent);

    BOOL Save();
    BOOL Open(const std::string& path);

private:
    CTask& task_;
    std::function<void(const std::string&)> addRecent_;
};

// Messages of the job files, in the program's code page.
extern const char* const kTaskFileCreateError;  // "Task file create error!"
extern const char* const kTaskFileOpenError;    // "Task file open error!"

}  // namespace textory
