#include "imaging/formats/codec_signals.h"

#include <atomic>

#if __has_include("platform/win/sync.h")
#include "platform/win/sync.h"
#define CODECS_HAVE_EVENT_WAIT 1
#endif

namespace codecs {

namespace {

bool DefaultStopTest(HANDLE stopEvent) {
#ifdef CODECS_HAVE_EVENT_WAIT
    return WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
#else
    (void)stopEvent;
    return false;
#endif
}

void DropPost(HWND, UINT, WPARAM, LPARAM) {}

std::atomic<StopTest> g_stopTest{nullptr};
std::atomic<MessagePoster> g_poster{nullptr};

}  // namespace

bool StopRequested(HANDLE stopEvent) {
    if (!stopEvent) return false;
    StopTest t = g_stopTest.load();
    return t ? t(stopEvent) : DefaultStopTest(stopEvent);
}

void PostRowProgress(HWND window, int done, int total) {
    if (total <= 0 || done <= 0) return;
    const long long p = 100LL * done / total;
    const long long q = 100LL * (done - 1) / total;
    if (p == q || p % 10 != 0) return;
    MessagePoster post = g_poster.load();
    (post ? post : DropPost)(window, WM_IMAGEPROGRESS, static_cast<WPARAM>(done), static_cast<LPARAM>(total));
}

void SetStopTest(StopTest test) { g_stopTest.store(test); }
void SetMessagePoster(MessagePoster post) { g_poster.store(post); }

}  // namespace codecs
