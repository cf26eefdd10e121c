// What the DDE export plug-in hands its host: the table returned by
// OcrInterfaceEntry and the record OcrExportGetInfo fills in the host's memory.
#pragma once

#include "platform/afx/afxwin.h"

constexpr int kOcrExportMaxFormats = 7;

// Field order and sizes are fixed: the host lays the record out itself.
struct OCREXPORT_INFO {
    DWORD bFound;     // 1 when the application was found; when 0 nothing else is written
    DWORD dwFlags;    // always 15
    DWORD dwFormats;  // bit set of the export formats offered
    char szName[200];
    char szFormatName[kOcrExportMaxFormats][150];  // one per set bit, in ascending bit order
};

extern "C" {
typedef void (*OcrExportGetInfoProc)(HKEY hostKey, OCREXPORT_INFO* info);
typedef CWnd* (*OcrExportWizardStartProc)(CTreeCtrl* tree, HTREEITEM* formatItem, HTREEITEM* summaryItem,
                                          CWnd* wizard, int* hasNext, UINT formatCode);
typedef CWnd* (*OcrExportWizardNextProc)(CTreeCtrl* tree, HTREEITEM* summaryItem, HTREEITEM* newItem, int unused,
                                         int* hasNext);
typedef void (*OcrExportWizardCancelProc)();
typedef void (*OcrExportWizardFinishProc)();
typedef int (*OcrExportRunProc)(const CStringArray& files, UINT formatCode);
}

// Slot order is fixed: the host calls by position.
struct OCREXPORT_INTERFACE {
    OcrExportGetInfoProc OcrExportGetInfo;
    OcrExportWizardStartProc OcrExportWizardStart;
    OcrExportWizardNextProc OcrExportWizardNext;
    OcrExportWizardCancelProc OcrExportWizardCancel;
    OcrExportWizardFinishProc OcrExportWizardFinish;
    OcrExportRunProc OcrExportRun;
};
static_assert(sizeof(OCREXPORT_INTERFACE) == 6 * sizeof(void*));

// The message pages and host exchange, registered by this name.
constexpr const char* kExportMessageName = "Export Message";
constexpr WPARAM kExportInputState = 809;  // page -> host: lParam 1 complete, 0 not
constexpr WPARAM kExportStore = 1301;      // host -> page: store; answers 1 stored, 0 refused

// Export format codes.
constexpr UINT kFormatHtml = 1;
constexpr UINT kFormatText = 2;
constexpr UINT kFormatRtf = 8;
constexpr UINT kFormatPdfImage = 512;
constexpr UINT kFormatPdfText = 1024;
constexpr UINT kFormatPdfImageText = 2048;
constexpr UINT kFormatPdfTextImage = 4096;
