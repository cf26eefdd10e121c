// The queue file through which a second start hands image paths to the
// running program: one absolute path a line. Appending and the running
// program's read-and-empty are one step each under a named mutex, so a line
// written between the read and the emptying is never lost; every wait for the
// lock is bounded.
#pragma once

#include <string>
#include <vector>

class CQueueFile {
public:
    // `path` is the queue file (Windows-style or native); `lockName` the named
    // mutex that guards it.
    CQueueFile(std::string path, std::string lockName);

    // Appends one line. FALSE when the lock was not had in time or the file
    // could not be written.
    bool Append(const std::string& line) const;
    // Reads every line and empties the file in one step. Lines keep all their
    // characters but the line end ("\n" or "\r\n"); empty lines are dropped.
    // `ok` (when given) says whether the file was read: a missing file is an
    // empty queue.
    std::vector<std::string> TakeAll(bool* ok = nullptr) const;
    // Puts lines back at the front of the queue (a hand-off that nobody took).
    bool PutBack(const std::vector<std::string>& lines) const;
    // Removes the last line equal to `line` (a hand-off that this start takes
    // back); FALSE when no such line is queued any more (someone took it).
    bool TakeBack(const std::string& line) const;
    // Empties the file.
    bool Clear() const;

    const std::string& Path() const { return path_; }
    // The longest wait for the lock, in milliseconds.
    unsigned lockTimeoutMs = 2000;

private:
    std::string path_;
    std::string lockName_;
};

// The lines of a queue file's contents: split at "\n", one "\r" before it
// dropped, empty lines skipped, a last line without its line end kept.
std::vector<std::string> SplitQueueLines(const std::string& contents);
