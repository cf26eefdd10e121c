// Message boxes of the image operations, shown through the shell.
#pragma once

#include <string>
#include <vector>

// Shows one of the fixed texts with an OK button.
void ShowImageMessage(const char* text);

// Shows a writer's fixed text for a failed write followed by the cause that
// the calling thread's last error names (a full disk, a failing device).
// The last error is kept as it was, so that the caller can still report it.
void ShowImageWriteFailure(const char* text);

// The cause line of a write that failed after the file was made; empty for
// codes that name no such cause (a file that could not be made has messages
// of its own).
const char* ImageWriteFailureCause(unsigned long error);

// While one lives on a thread, the messages of the image operations on that
// thread are kept in it instead of being shown: a page read for a batch or
// on a load thread never waits on a box, and its reader says what failed
// where the user looks. Catchers nest; the innermost one takes the messages.
class CImageMessageCatcher {
public:
    CImageMessageCatcher();
    ~CImageMessageCatcher();
    CImageMessageCatcher(const CImageMessageCatcher&) = delete;
    CImageMessageCatcher& operator=(const CImageMessageCatcher&) = delete;
    const std::vector<std::string>& Messages() const { return messages_; }
    // Takes a message when a catcher lives on this thread.
    static bool Catch(const char* text);

private:
    CImageMessageCatcher* outer_;
    std::vector<std::string> messages_;
};
