// Message boxes of the image operations, shown through the shell.
#pragma once

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
