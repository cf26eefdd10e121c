// Conversion of whole PDF files to RTF ("Calvet.dll") or text ("Derrow.dll"):
// the conversion run behind the PDF commands, the two converters' bindings,
// the progress callback and the error log "CvtErr.txt" of the data folder.
// Everything runs on the user-interface thread; the callback pumps messages.
#pragma once

#include "platform/win/types.h"
#include "shell/pdf/pdf_convert_dlg.h"

#include <string>
#include <vector>

#define IDS_PDF_PARTLY_CONVERTED 61479
#define IDS_PDF_NONE_SELECTED 61480
#define IDS_PDF_LOG_COMPLETE 61481
#define IDS_PDF_LOG_SOURCE 61482
#define IDS_PDF_LOG_TARGET 61483
#define IDS_PDF_PARSING 61484
#define IDS_PDF_WRITING 61485
#define IDS_PDF_LOG_PAGE 61486
#define IDS_PDF_DONE 61488
// Lists the files that were not converted.
#define IDS_PDF_NOT_CONVERTED 61902
#define IDS_PDF_NO_TEXT 61614  // heads the files whose text output held no text

// A missing library or entry point.
constexpr int PDF_CONVERT_MISSING_ENTRY = 10;
// The output would replace the input file (a result of the run's own).
constexpr int PDF_CONVERT_SAME_FILE = 11;

// The conversion run: the conversion dialog for `paths`, then each chosen
// file converted into the target folder, open-after, the log and the closing
// messages. FALSE when the dialog was cancelled (`paths` is then emptied);
// otherwise `paths` holds the files the dialog chose.
BOOL ConvertPdfFiles(std::vector<std::string>& paths, BOOL toRtf, PdfConversionSettings& settings);

// The output name of `inputPath`: its name after the last backslash with the
// extension (from the last dot of the name) replaced by ".rtf" or ".txt".
std::string PdfOutputName(const std::string& inputPath, bool toRtf);

// One file to RTF with the progress dialog and the log lines: 0 on success,
// 10 when the library or an entry is missing, else the converter's code.
// *unconvertible is set when a page could not be converted whole.
int ConvertPdfToRtf(int* unconvertible, const char* input, const char* output, int firstPage, int lastPage,
                    BOOL hasPassword, const char* password);
// One file to text: 0 on success, 10 when the library or an entry is missing.
int ConvertPdfToTxt(const char* input, const char* output, int firstPage, int lastPage, const char* password);

// The converter's progress: 0 go on, 1 stop.
int PdfConvertProgress(int total, int current, int unconvertible);
// Readies the callback for a new file: parsing phase, no unconvertible page
// yet, and the offset of the file's pages (first page - 1).
void BeginConversionProgress(int pageOffset);

// The log of the run: "CvtErr.txt" in `dataFolder`; ConvertPdfFiles sets it,
// ConvertPdfToRtf appends to it (nothing when empty).
std::string ConversionLogPath(const std::string& dataFolder);
void SetConversionLog(const std::string& path);
