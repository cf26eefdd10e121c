// Message boxes of the image operations, shown through the shell.
#pragma once

// Shows one of the fixed texts with an OK button.
void ShowImageMessage(const char* text);

// Shows a writer's fixed text for a failed write followed by the cause that
// the calling thread's last error names (a full disk, a refused folder...).
// The last error is kept as it was, so that the caller can still report it.
void ShowImageWriteFailure(const char* text);

// The cause line for a last-error code; empty when the code names none.
const char* ImageWriteFailureCause(unsigned long error);
