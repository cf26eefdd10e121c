// One page with everything the recognition pipeline works on, without any
// window: the page image, the layout-region tree, the recognition result (the
// base), the per-region line counts, and the page's settings. The OCR
// document is one of these with a window side; a batch worker makes its own
// on its own thread, so every pipeline step lives here and reaches the user
// only through the hooks below (no-ops for a worker).
#pragma once

#include <string>

#include "imaging/page_image.h"
#include "ocrdoc/document/page_settings.h"
#include "ocrdoc/document/reco_progress.h"
#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/result/reco_result.h"
#include "outside/include/ostrel.h"
#include "outside/include/pendril20.h"
#include "outside/include/tresk.h"
#include "platform/win/types.h"

class CTableRegion;

// Hints the pipeline gives the views (UpdateAllViews), beside the
// document's own (ocr_doc.h uses 0x5101 and 0x5102).
enum : LPARAM {
    kHintPipelineAll = 0,              // every view redraws
    kHintPageImageChanged = 1,         // the page image was replaced: rebuild the display image
    kHintClearDragRect = 0x5103,       // the page view drops its drag rectangle
    kHintInvalidateRegion = 0x5104,    // the page view invalidates the CRect passed as the object
    kHintResetTextView = 0x5105,       // the text view starts afresh on the new result
};

// Buffers and limits of the pipeline.
constexpr UINT kTableTextBufferBytes = 256000;
constexpr int kLearnBoxLimit = 256;      // learning takes boxes below this many pixels
constexpr int kMaxPageSide = 32767;      // the engines take 16-bit page sizes
constexpr int kMinTextAreaSide = 8;      // a thinner text area is taken as a picture

// Frees an export page chain: each page's entries, then (flag bit 0) the page.
void FreeSPage(SPage* page, int flags);
// UTF-16 of text in the code page; nullptr when it cannot be converted or
// would exceed 2,097,152 units. new[]-allocated; outUnits gets the units
// written (the mark included), the terminating zero not counted.
char16_t* MultiByteToUnicode(const char* text, int codePage, BOOL withBom, std::size_t* outUnits = nullptr);

class COcrPage;

// What a page takes from its stored project (ReadProjectBlock).
enum class ProjectUse {
    kTextAndLayout,  // the stored result and regions
    kLayoutOnly,     // the regions; the result is recognised afresh
    kNothing,        // only whether the page lives in its edited file
};

// What ReadProjectBlock found.
enum class ProjectBlockOutcome {
    kTaken,          // what was asked for is on the page (also: nothing asked, or no block)
    kUnusable,       // no project, or a damaged one
    kNotForImage,    // the page rectangle does not fit the image
    kTextMismatch,   // text and records do not belong together: nothing was taken
};

// Gives an English engine result back (NULL allowed).
void FreeEnglishResult(_regioninfoeng* result);
// The export library's ExportToFile; FALSE when it failed or is missing.
BOOL CallExportToFile(SPage* page, const std::string& path, int format);
// Analyses the table regions of `page` on the recognition copy `plane` (the
// form library erases their rules there) and builds their cells; the tables
// keep no pointer to the temporary image made for it. A table without cells
// (no grid found) becomes a horizontal text region, read as text.
void AnalyzeTablesOn(CPageRegion* page, HGLOBAL plane, int width, int height);
// Writes UTF-16 text with its byte-order mark as path, through a temporary
// file; FALSE when nothing was written.
BOOL WriteUnicodeTextFile(const std::string& path, const std::u16string& text);

// The wait cursor of a page's run, for the life of the object.
class CPipelineWait {
public:
    explicit CPipelineWait(COcrPage& page);
    ~CPipelineWait();
    CPipelineWait(const CPipelineWait&) = delete;
    CPipelineWait& operator=(const CPipelineWait&) = delete;

private:
    COcrPage& m_page;
};

// Holds the page for the life of the object (see COcrPage::IsPageHeld).
class CPageHold {
public:
    explicit CPageHold(COcrPage& page);
    ~CPageHold();
    CPageHold(const CPageHold&) = delete;
    CPageHold& operator=(const CPageHold&) = delete;

private:
    COcrPage& m_page;
};

class COcrPage : public CRecoResult {
public:
    COcrPage();
    ~COcrPage() override;
    COcrPage(const COcrPage&) = delete;
    COcrPage& operator=(const COcrPage&) = delete;

    CPageImage* m_pImage = nullptr;
    CPageRegion* m_pPageRegion = nullptr;
    int m_bLayoutDirty = 0;
    int m_bHasLayout = 0;
    DWORD m_dwBkNum = 0;
    WORD* m_pLineCounts = nullptr;
    // The settings of the page's row, as the last step read them.
    PageSettings m_settings;

    // --- Hooks to the user; a page without a window does nothing here.
    // The settings of the page's row; false when there is no row (every
    // step then does nothing). A worker's page keeps the ones it was given.
    virtual bool ReadPageSettings() { return m_settings.valid; }
    virtual void UpdateViews(LPARAM /*hint*/, const RECT* /*rect*/ = nullptr) {}
    virtual void ShowTextColumn() {}
    virtual void SetViewText(bool /*shown*/) {}
    virtual void ShowMessage(const std::string& /*text*/) {}
    // Asks a yes-no question; a page without a window takes yes.
    virtual bool AskYesNo(const std::string& /*text*/) { return true; }
    // Marks the page image edited (saved as .BKI with the next project file).
    virtual void SetPageEdited(BOOL edited) { m_bPageEdited = edited; }
    virtual BOOL IsPageEdited() { return m_bPageEdited; }
    // The path of the page's image file, empty when none.
    virtual std::string PagePath() const { return m_strPagePath; }
    // The window told of each text piece of a single-page run (the page view).
    virtual HWND TextWindow() const { return nullptr; }
    // Dispatches the thread's waiting messages (the user-interface thread only).
    virtual void PumpPending() {}
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // A run (layout analysis, recognition, an engine call) holds the page:
    // nothing may replace or free it until the run ends.
    bool IsPageHeld() const { return m_nPageHolds > 0; }
    // The question every discard asks; true for yes.
    bool AskDiscard();

    // --- Layout analysis (layout_analysis.cpp).
    void AnalyzeLayout();
    BOOL SegmentLayout();
    void AutoDeskew();
    void ClearLayout(BOOL ask);
    void SegmentPage();

    // --- Recognition (page_recognition.cpp, english_recognition.cpp).
    void RecognizePage();
    int RecognizePageBatch(HWND textWindow, char* textBuffer, BYTE* cancel);
    BOOL CutTextLines(_seg_regioninfo** outSeg);
    BOOL RecognizeChinese(HWND textWindow, char* textBuffer, BYTE* cancel, _seg_regioninfo* seg,
                          _regioninfo** outResult);
    // Recognition of the page with a segmentation made beforehand, for a
    // window that shows the run: each piece lands in `pieceBuffer` (of
    // `pieceBytes` bytes, cut at a whole character) and the window hears of
    // it with ID_BATCH_TEXT, and of the lines done with WM_RECOGPROGRESS;
    // a nonzero `stop` ends the run. Nonzero when the page was recognised.
    int RecognizeWithSegmentation(HWND window, char* pieceBuffer, std::size_t pieceBytes, BYTE* stop,
                                  _seg_regioninfo* seg, _regioninfo** outResult);
    // What CutTextLines and RecognizeWithSegmentation hand out, freed by the engine.
    static void FreeSegmentation(_seg_regioninfo* seg);
    static void FreeRecognition(_regioninfo* result);
    BOOL RecognizeEnglish(HWND textWindow, char* textBuffer, BYTE* cancel, _regioninfoeng** outResult);
    BOOL RecognizeEnglishRegions(_regioninfoeng** outResult);
    BOOL AppendEnglishResult(const _regioninfoeng* result);
    BOOL MergeEnglishResult(const char* text, UINT textLen, const RecoCharInfo* records, UINT recordsLen);

    // --- Export and table text (export_page.cpp, table_assembly.cpp).
    SPage* BuildExportPage();
    SPageTextBlock* NewExportTextBlock(int block, int firstLine, int lastLine, const RECT& rect);
    // The store's text as UTF-16 (no mark) from the code page's bytes, as
    // long as the text is.
    std::u16string TextAsUnicode(UINT codePage) const;
    // The same; false when a text that is not empty cannot be converted
    // (`out` is empty then).
    bool TextToUnicode(UINT codePage, std::u16string& out) const;
    // The file step of sending the text to the external editor: the data
    // folder's "\work\" + the image's stem and extension letters + the
    // editor format's extension. FALSE when nothing was written.
    BOOL ExportRecognizedText(std::string& outPath);
    void AssembleTableText();
    void AssembleTableTextEnglish();

    // --- Region commands and learning (region_commands.cpp).
    virtual BOOL DiscardResult(BOOL ask);
    BOOL HasTextRows() const;
    // Gives the selected column the flags of a column type command; FALSE
    // when there is no page or no selected column or the result was kept.
    BOOL SetSelectedColumnType(int flags);
    void CancelSelectedRegion();
    CLayoutRegion* DeepestSelectedRegion(CLayoutRegion** outParent = nullptr) const;
    BOOL GetSelectedRegion(BOOL remove, RECT* outRect);
    HGLOBAL CopySelectedRegionImage();
    void ManualDeskew(HWND parent);
    BOOL WriteLearnFile(BOOL currentOnly);

    // --- Text-line counts (line_counts.cpp).
    void RebuildLineCounts();
    void GetRegionLineRange(int index, int* outFirst, int* outLast);

    // --- Files beside the image (page_files.cpp, project_file.cpp).
    // Writes the page image to `path` through the codec of its extension,
    // leaving path and flags alone. FALSE silently when the extension has no
    // codec; with `report`, a failed write is shown.
    BOOL WriteImageFile(const char* path, BOOL report);
    // The project file (and the plain text of a result) beside the image,
    // when anything changed; both written atomically.
    BOOL WriteProjectFile();
    // Writes the project, text and edited-page files beside `imagePath`
    // without a word; whether each was written.
    struct ProjectWrite {
        bool project = false, text = true, image = true;
    };
    ProjectWrite WriteProjectFilesAt(const std::string& imagePath);
    // When nothing can be written beside the image: a copy of the image and
    // the page's files in the data folder's "KEPT" folder; the copy's path,
    // empty when that failed too.
    std::string KeepWorkInDataFolder(const std::string& imagePath);
    // Takes a loaded page and its project block (both owned from now on, the
    // block freed here) for a page without a window. `batchOption` 0 keeps
    // the stored result, 1 keeps only the layout, 2 takes nothing stored.
    BOOL TakeLoadedPage(CPageImage* image, HGLOBAL block, int batchOption);
    // Reads the project block of a page just loaded (its image and an empty
    // region tree in place; the block stays the caller's): the page is
    // marked edited when the project says it lives in its .BKI file, then
    // takes what `use` asks for. The one reader of loaded projects, for the
    // open document and for batch workers alike.
    ProjectBlockOutcome ReadProjectBlock(HGLOBAL block, ProjectUse use);

    // Page image and tree are replaced (a new page); the result is kept.
    void FreePage();
    // The page region replaced by an empty one of the page's size.
    BOOL ResetRegionTree();

protected:
    std::string m_strPagePath;
    BOOL m_bPageEdited = FALSE;
    int m_nPageHolds = 0;

    friend class CPageHold;

private:
    // Steps shared by the Chinese page path of RecognizePage and RecognizePageBatch.
    int RecognizeChinesePage(bool batch, HWND textWindow, char* textBuffer, BYTE* cancel);
    int RecognizeEnglishPage(bool batch, BYTE* cancel);
    void ZeroRegionCounts();
    // The text lines of one block from an engine entry.
    static void SetBlockLines(CLayoutRegion* region, int lines);
    void BinarizeForRecognition();
    void ReplaceEnglishByText();
    void LoadEnglishOnly(_regioninfoeng* english);
    void AssembleTables(bool english);
    BOOL MakeRecoPlane();
    BOOL DeskewInto(int dx, int dy, HGLOBAL* outBlock);
};
