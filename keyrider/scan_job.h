// One run of one scanner button from its job description: reads what the
// button is set to do, fills the scan library's settings block, has the scan
// library scan, takes every page through the per-page callback and at the
// end hands the produced files to the action. Nothing is lost on the way: a
// page that cannot be named or saved stops the scan and is reported, and a
// file is deleted only after what replaces it was written and checked.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "keyrider/blank_page_table.h"
#include "keyrider/file_settings.h"
#include "keyrider/ftp_upload.h"
#include "keyrider/mail_output.h"
#include "keyrider/ocr_connectors.h"
#include "keyrider/job_profile.h"
#include "keyrider/output_naming.h"
#include "keyrider/pdf_join.h"
#include "keyrider/scan_settings_reader.h"
#include "outside/include/duvrin.h"
#include "outside/include/image_library.h"
#include "outside/include/keyrider_scan.h"
#include "outside/include/tarrik.h"

namespace keyrider {

// What a job needs of the program around it.
struct JobServices {
    HKEY appKey = nullptr;        // "File Format" and the other action keys
    HKEY installerKey = nullptr;  // the blank-page table
    const IL_FUNCTIONTABLE* image = nullptr;
    const SCAN_FUNCTIONTABLE* scan = nullptr;
    const TARRIK_FUNCTIONTABLE* messages = nullptr;
    std::vector<KEYRIDER_PAPER> papers;
    std::string programFolder;  // ends in a separator
    std::string title;          // caption of the job's boxes
    NamingHooks naming;         // clock, message boxes and dialogs of the naming
    // A problem the user must hear of (a kept page, a failed hand-off).
    std::function<void(const std::string& text)> report;
    // Starts a program with its parameters; false when it could not start.
    std::function<bool(const std::string& program, const std::string& parameters)> launch;
    // The driver and port of the printer of that name (case ignored); false
    // when no such printer is set up.
    std::function<bool(const std::string& name, std::string* driver, std::string* port)> findPrinter;
    // Processes, windows and DDE for the OCR and card hand-offs and the DDE
    // OCR application's PDFs (the job fills in its folder and its report).
    ConnectorServices connectors;
    // The owner of the PDF progress window, and what keeps the program's
    // windows answering while a long join runs.
    HWND owner = nullptr;
    std::function<void()> pump;
};

// The action types, compared without case.
enum class ActionKind { None, Copy, Filing, Mail, Capture, Ocr, Custom, Ftp };
ActionKind ActionOfType(const std::string& type);

// Removes the private folders (with their pages) of jobs whose program was
// killed; those of running jobs stay. The number removed.
int RemoveStaleJobFolders();

class CScanJob {
public:
    CScanJob(JobProfile profile, JobServices services);
    ~CScanJob();
    CScanJob(const CScanJob&) = delete;
    CScanJob& operator=(const CScanJob&) = delete;

    // The three texts of the caller: button section, mode and source names.
    void SetNames(std::string section, std::string mode, std::string source);

    // 1 when the job can run, 0 when not (then it does not scan).
    int ReadActionSettings(const std::string& actionType);
    // Fills `block`; always 1.
    int ReadScanSettings(SCAN_SETTINGS* block);
    // Runs the action; always 1.
    int DispatchJobOutput(const std::string& actionType);

    // The per-page callback handed to ScanPages (reaches the running job).
    static int OnScannedPage(IL_IMAGE* page, void* argument);

    SCAN_SETTINGS& Block() { return block_; }
    const EdgeFillGlobals& EdgeFill() const { return edgeFill_; }
    const FileSettings& Files() const { return files_; }
    const std::vector<std::string>& OutputFiles() const { return outputFiles_; }
    // Every file the job finished, in order (images, PDFs, multi-page files).
    const std::vector<std::string>& Finished() const { return finished_; }
    // Problems reported in this job.
    const std::vector<std::string>& Problems() const { return problems_; }
    const std::string& OutputFolder() const { return outputFolder_; }
    const std::string& TemporaryFolder();
    bool ScannedAny() const { return scanned_; }

    // The output stages of e-mail and FTP, replaceable in tests.
    std::function<void(const std::vector<std::string>& files)> sendMail;
    std::function<void(const std::vector<std::string>& files)> upload;
    // Runs after each file the FTP server confirmed (its index).
    std::function<void(int)> afterUploadedFile;
    std::string mailLibrary = "Mapi32.dll";
    const OcrApplication& Application() const { return ocr_; }
    const std::vector<std::string>& OcrNames() const { return ocrNames_; }
    // Pages the printer took.
    int PrintedPages() const { return printedPages_; }
    // The program that makes PDF files when a "Moplink Check Path" entry
    // found it ("" : the PDF library).
    const std::string& PdfApplication() const { return pdfApp_; }
    // The capture application and the list file of its last run.
    const std::string& CaptureProgram() const { return captureProgram_; }
    const std::string& CaptureList() const { return captureList_; }

private:
    int savePage(IL_IMAGE* page, bool collect);
    bool savePageFile(IL_IMAGE* page);
    bool flushPdf(bool collect);
    JoinOutcome joinWithPdfApp(const std::string& output);
    bool takeName(bool collect, const std::string& extension, std::string* path);
    int scanPages(void* argument);
    bool detectCaptureApp();
    void runCapture();
    int addPageToCaptureList(IL_IMAGE* page);
    void rescuePages(const std::string& stem);
    bool name(bool collect, const std::string& extension, std::string* path);
    void problem(const std::string& text);
    // Message `message` of the message library with "%1" = `value`: why the job does not run.
    void refuse(int message, const std::string& value = {});
    void refuseMissing(const std::string& what);
    // The record ScanEndJob takes: eight zero bytes, then bytes 12-287 of the
    // scan settings as they were when the scan started.
    using EndJobRecord = std::array<BYTE, 284>;
    EndJobRecord endJobRecord() const;
    void endJob(const EndJobRecord& record);
    // The first `count` of `files`, sent, go when they were made only to be sent.
    void dropSent(const std::vector<std::string>& files, std::size_t count);
    void handOver(const std::string& file);
    void runScan(bool collect);
    void runFiling();
    void runCollect(ActionKind kind);
    void runCustom();
    void deleteFile(const std::string& path);
    // The name a finished output file keeps: a file the user chose to replace goes only now.
    std::string settled(const std::string& path);
    int printPage(IL_IMAGE* page);
    int saveOcrPage(IL_IMAGE* page);
    bool newOcrBatch();
    std::string ocrPageName();
    void runCopy();
    void runOcr();
    void mailFiles(const std::vector<std::string>& files);
    void uploadFiles(const std::vector<std::string>& files);
    bool loadPrinterLibrary();

    JobProfile profile_;
    JobServices services_;
    std::string section_, mode_ = "Gray", source_ = "ADF";
    ActionKind kind_ = ActionKind::None;
    FileSettings files_;
    std::unique_ptr<OutputNamer> namer_;
    std::string outputFolder_;
    bool promptForName_ = false, askedForName_ = false;
    MailHeading mailHeading_;
    // custom program
    std::string program_, commandLine_;
    bool launchOnly_ = false;
    // filing's launch program ("Launch App")
    std::string launchProgram_;
    std::string pdfLibrary_, pdfApp_;
    // capture
    std::string captureProgram_, captureList_;
    int capturePages_ = 0;
    bool pagesArrived_ = false;
    // pages the scan library handed over in this run
    int pagesSeen_ = 0;
    SCAN_SETTINGS block_{};
    EdgeFillGlobals edgeFill_;
    BlankPageTable blankPages_;
    std::vector<std::string> pageFiles_, outputFiles_, finished_, problems_;
    std::string currentOutput_;
    bool firstPageNamed_ = false;
    bool stopped_ = false;
    bool scanned_ = false;
    std::string temporaryFolder_;
    unsigned pageFileCounter_ = 0;
    // e-mail and FTP
    FtpSettings ftp_;
    std::unique_ptr<CInternetSession, void (*)(CInternetSession*)> session_{nullptr, nullptr};
    // copy
    std::string printerName_, printerDriver_, printerPort_, printerNames_;
    int copies_ = 1, scale_ = 100;
    DWORD printFlags_ = PRINTER_FLAGS_BASE;
    HMODULE printerModule_ = nullptr;
    const PRINTER_TABLE* printer_ = nullptr;
    PRINTER_RECORD printerRecord_{};
    PRINT_JOB printJob_{};
    bool documentStarted_ = false;
    int printedPages_ = 0;
    // ocr and bcr
    OcrApplication ocr_;
    bool launchExport_ = false;
    std::vector<std::vector<std::string>> ocrBatches_;
    std::vector<std::string> ocrNames_;
    std::string ocrBatchFile_;
    int ocrRunning_ = 0, ocrPagesInBatch_ = 0;
};

}  // namespace keyrider
