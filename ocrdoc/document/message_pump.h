// Keeping the program's windows alive during long work on the calling thread.
#pragma once

// Removes and dispatches every waiting message of the calling thread. With
// takeEscape, an Esc key press is taken out of the queue instead of being
// dispatched. Returns true when such an Esc press was taken.
bool DispatchPendingMessages(bool takeEscape = false);
