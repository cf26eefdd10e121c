#include "ocrdoc/document/reco_progress.h"

#include <algorithm>
#include <cstring>

#include "ocrdoc/document/message_pump.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/dbcs.h"
#include "platform/afx/afxwin.h"

RecoProgress& ThreadRecoProgress() {
    thread_local RecoProgress progress;
    return progress;
}

std::size_t CopyTextPiece(char* buffer, std::size_t size, const char* piece) {
    if (!buffer || size == 0) return 0;
    if (!piece) piece = "";
    const std::size_t length = std::strlen(piece);
    std::size_t take = 0;
    // Whole characters only: a lead byte goes with its trail byte or not at all.
    while (take < length && take + 1 < size) {
        const auto b = static_cast<BYTE>(piece[take]);
        const std::size_t unit = dochelpers::IsLeadByte(b) && take + 1 < length ? 2 : 1;
        if (take + unit + 1 > size) break;
        take += unit;
    }
    std::memcpy(buffer, piece, take);
    buffer[take] = '\0';
    return take;
}

namespace {

int PumpAndAsk() {
    RecoProgress& p = ThreadRecoProgress();
    if (p.pSink) {
        if (p.pSink->OnPump() && p.pCancel) *p.pCancel = 1;
    } else {
        DispatchPendingMessages();
    }
    return p.pCancel && *p.pCancel ? 1 : 0;
}

}  // namespace

void RecoSendText(const char* text) {
    RecoProgress& p = ThreadRecoProgress();
    char local[kBatchTextBytes];
    char* buffer = p.pTextBuf ? p.pTextBuf : local;
    const std::size_t size = p.pTextBuf && p.nTextBufBytes ? p.nTextBufBytes : kBatchTextBytes;
    CopyTextPiece(buffer, size, text);
    if (p.pSink) {
        p.pSink->OnText(buffer);
    } else if (p.hTextWnd && IsWindow(p.hTextWnd)) {
        ::SendMessage(p.hTextWnd, WM_COMMAND, ID_BATCH_TEXT, 0);
    }
}

void RecoClearProgress() {
    RecoProgress& p = ThreadRecoProgress();
    if (p.pSink) p.pSink->OnProgress(1, 1, 0);
    else DocumentHost().ClearProgress();
}

void RecoDrawProgress(int first, int last, int current) {
    RecoProgress& p = ThreadRecoProgress();
    if (p.pSink) p.pSink->OnProgress(first, last, current);
    else DocumentHost().DrawProgress(first, last, current);
}

void RecoRefreshProgress() {
    if (!ThreadRecoProgress().pSink) DocumentHost().RefreshProgress();
}

extern "C" void RecoTextCallback(const char* piece) {
    if (!piece) return;
    RecoProgress& p = ThreadRecoProgress();
    RecoSendText(piece);
    if (piece[0] == '\n' && p.chLast != '\n' && p.nTotal > 0) {
        const int old = p.nLines;
        p.nLines = old + 1;
        const int before = std::min(old, p.nTotal), after = std::min(old + 1, p.nTotal);
        if (before * 100 / p.nTotal != after * 100 / p.nTotal) {
            RecoDrawProgress(1, p.nTotal, after);
            if (p.hProgressWnd && IsWindow(p.hProgressWnd))
                ::SendMessage(p.hProgressWnd, WM_RECOGPROGRESS, static_cast<WPARAM>(after), static_cast<LPARAM>(p.nTotal));
        }
    }
    p.chLast = piece[0];
}

extern "C" int RecoPumpCallback() { return PumpAndAsk(); }

extern "C" int EngProgressCallback(unsigned percent) {
    RecoProgress& p = ThreadRecoProgress();
    if (p.pSink) {
        p.pSink->OnProgress(1, 100, static_cast<int>(percent));
    } else {
        if (p.hTextWnd && IsWindow(p.hTextWnd)) ::SendMessage(p.hTextWnd, WM_COMMAND, ID_BATCH_TEXT, 0);
        DocumentHost().DrawProgress(1, 100, static_cast<int>(percent));
    }
    return 1;
}

extern "C" int EngPumpCallback() { return PumpAndAsk(); }
