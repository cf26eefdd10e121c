// The load-time signals of the system's own image readers: the stop event,
// tested with a zero time-out and never waited on, and the WM_IMAGEPROGRESS
// posts to the progress window.
#pragma once

#include "platform/win/types.h"

#ifndef WM_IMAGEPROGRESS
#define WM_IMAGEPROGRESS (0x0400 + 1013)
#endif

namespace codecs {

// True when the stop event is set. A NULL event is never set.
bool StopRequested(HANDLE stopEvent);

// Posts WM_IMAGEPROGRESS (wParam rows done, lParam total rows) after row
// `done` (1-based) of `total`, when the percentage reaches a new multiple
// of 10: at most ten posts a page.
void PostRowProgress(HWND window, int done, int total);

// Where the signals go. The stop test defaults to the platform's event wait
// where it is built in; the poster defaults to dropping the posts until the
// window layer installs its PostMessage. Tests install their own.
using StopTest = bool (*)(HANDLE stopEvent);
using MessagePoster = void (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void SetStopTest(StopTest test);          // nullptr: the default
void SetMessagePoster(MessagePoster post);  // nullptr: the default

}  // namespace codecs
