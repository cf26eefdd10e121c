// What a launch-recipe plug-in hands its host: the table returned by
// OcrInterfaceEntry and the record that OcrGetInfo fills. Framework types
// cross the boundary, so host and plug-in link the same shared framework.
#pragma once

#include "platform/afx/afxwin.h"

struct OCRAPP_INFO {
    CDWordArray m_dwaResolutions;  // dots per inch, in the order listed
    CString m_strExePath;          // the application's program
    DWORD m_dwFlags = 0;
    DWORD m_dwOption1 = 0;
    DWORD m_dwOption2 = 0;
    DWORD m_dwOption3 = 0;
    DWORD m_dwOption4 = 0;
    DWORD m_dwOption5 = 0;  // "Enable RMBlankPage" where the variant reads it
    DWORD m_dwOption6 = 0;
};

extern "C" {
typedef int (*OcrGetInfoProc)(OCRAPP_INFO** info, HKEY hostKey);
typedef void (*OcrNoOperationProc)();
typedef int (*OcrReturnTrueProc)();
typedef void (*OcrGetImageFormatProc)(int colourMode, int unused, int* fileFormat, int* imageQuality);
typedef int (*OcrRunProc)(const CStringArray& files, int unused1, int unused2, BOOL duplex);
typedef HICON (*OcrGetIconProc)();
typedef int (*OcrDetectProc)(HKEY hostKey);
}

// Slot order is fixed: the host calls by position.
struct OCRAPP_INTERFACE {
    OcrGetInfoProc OcrGetInfo;
    OcrNoOperationProc OcrNoOperation;
    OcrReturnTrueProc OcrReturnTrue;
    OcrGetImageFormatProc OcrGetImageFormat;
    OcrRunProc OcrRun;
    OcrGetIconProc OcrGetIcon;
    OcrReturnTrueProc OcrReturnTrue2;
    OcrDetectProc OcrDetect;
};
static_assert(sizeof(OCRAPP_INTERFACE) == 8 * sizeof(void*));

extern "C" typedef const OCRAPP_INTERFACE* (*OcrInterfaceEntryProc)();

// Colour modes of OcrGetImageFormat.
constexpr int kOcrColourBW = 0;
constexpr int kOcrColourGray = 1;
constexpr int kOcrColourColor = 2;
