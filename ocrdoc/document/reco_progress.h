// Where the engines' callbacks report while one recognition runs on a
// thread. The engines' callbacks carry no context, so the record is per
// thread: the user-interface thread's run and each batch worker's run have
// their own, set at the start of the run.
#pragma once

#include <cstddef>

#include "platform/win/types.h"

// Receives what a run reports when it does not run on the user-interface
// thread (a batch worker): text pieces, the progress bar, and the pump's
// question whether to stop.
class CRecoProgressSink {
public:
    virtual ~CRecoProgressSink() = default;
    virtual void OnText(const char* piece) = 0;
    virtual void OnProgress(int first, int last, int current) = 0;
    // True asks the engine to stop.
    virtual bool OnPump() = 0;
};

struct RecoProgress {
    int nTotal = 0;             // text lines expected
    int nLines = 0;             // lines reported so far
    char chLast = '\n';         // first character of the last piece
    BYTE* pCancel = nullptr;    // non-zero stops the engine at its next pump
    HWND hTextWnd = nullptr;    // told of each piece with ID_BATCH_TEXT
    char* pTextBuf = nullptr;   // kBatchTextBytes bytes; each piece lands here first
    CRecoProgressSink* pSink = nullptr;  // a worker's receiver; null on the user-interface thread
    std::size_t nTextBufBytes = 0;      // size of pTextBuf; 0 means kBatchTextBytes
    HWND hProgressWnd = nullptr;        // told of the lines done with WM_RECOGPROGRESS
};

// The command that tells the text window of a new piece in the buffer.
#define ID_BATCH_TEXT 32847
// The size of the text buffer a run is given.
constexpr std::size_t kBatchTextBytes = 128;
// Sent to the progress window whenever the whole percentage of lines done
// changes: wParam lines done (at most the total), lParam the page's lines.
#define WM_RECOGPROGRESS (WM_USER + 272)

// The calling thread's record.
RecoProgress& ThreadRecoProgress();

// Copies piece into buffer (size bytes) with its terminating zero, cut at a
// whole character when it does not fit. Returns the bytes copied.
std::size_t CopyTextPiece(char* buffer, std::size_t size, const char* piece);

// The callbacks handed to the engines.
extern "C" {
void RecoTextCallback(const char* piece);
int RecoPumpCallback();
int EngProgressCallback(unsigned percent);
int EngPumpCallback();
}

// The progress pane of the run's thread: the main frame's on the
// user-interface thread, the sink's on a worker.
void RecoClearProgress();
void RecoDrawProgress(int first, int last, int current);
void RecoRefreshProgress();
// Copies text into the run's buffer and tells the text window (or the sink).
void RecoSendText(const char* text);
