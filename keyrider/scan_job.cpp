#include "keyrider/scan_job.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "outside/include/tarrik.h"
#include "platform/afx/inet/afxinet.h"
#include "keyrider/pdf_progress.h"
#include "keyrider/startup_registry.h"
#include "platform/win/exclusive_file.h"
#include "platform/win/ini.h"
#include "platform/win/library.h"
#include "platform/win/files.h"
#include "platform/win/locator.h"
#include "platform/win/owned_folder.h"
#include "platform/win/page_memory.h"
#include "platform/win/path.h"
#include "platform/win/registry.h"

namespace keyrider {

namespace fs = std::filesystem;

namespace {

// The job whose scan runs now: the scan library calls back without a context.
CScanJob* g_running = nullptr;

std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Native(const std::string& path) { return suite::NativePathOfEither(path); }

// The path without its extension (the dot included).
std::string StemOf(const std::string& path) {
    std::size_t part = path.find_last_of("\\/");
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (part != std::string::npos && dot < part)) return path;
    return path.substr(0, dot);
}


}  // namespace

ActionKind ActionOfType(const std::string& type) {
    const std::string t = Lower(type);
    if (t == "copy") return ActionKind::Copy;
    if (t == "filing" || t == "pdf") return ActionKind::Filing;
    if (t == "e-mail") return ActionKind::Mail;
    if (t == "fennick") return ActionKind::Capture;
    if (t == "ocr" || t == "bcr") return ActionKind::Ocr;
    if (t == "custom") return ActionKind::Custom;
    if (t == "ftp") return ActionKind::Ftp;
    return ActionKind::None;
}

CScanJob::CScanJob(JobProfile profile, JobServices services)
    : profile_(std::move(profile)), services_(std::move(services)) {
    blankPages_.Read(services_.installerKey);
}

CScanJob::~CScanJob() {
    if (g_running == this) g_running = nullptr;
    session_.reset();
    if (printerModule_) FreeLibrary(printerModule_);
    // The private folder goes when it is empty; a kept page keeps it, also
    // past the next start.
    if (!temporaryFolder_.empty()) {
        suite::ForgetStrayFiles(temporaryFolder_);
        std::error_code ec;
        if (!fs::remove(Native(temporaryFolder_), ec) && fs::exists(Native(temporaryFolder_), ec))
            suite::KeepOwnedFolder(temporaryFolder_);
    }
}

void CScanJob::SetNames(std::string section, std::string mode, std::string source) {
    section_ = std::move(section);
    mode_ = std::move(mode);
    source_ = std::move(source);
}

namespace {
constexpr const char* kJobFolderPrefix = "keyrider-job-";

std::string TemporaryBase() {
    char base[MAX_PATH + 1] = {};
    GetTempPathA(sizeof base, base);
    return Native(base);
}
}  // namespace

int RemoveStaleJobFolders() { return suite::RemoveFoldersOfGoneOwners(TemporaryBase(), kJobFolderPrefix); }

// The job's own folder names this process, so that a later start can remove
// it when the job was killed.
const std::string& CScanJob::TemporaryFolder() {
    if (temporaryFolder_.empty()) temporaryFolder_ = suite::CreateOwnedFolder(TemporaryBase(), kJobFolderPrefix);
    return temporaryFolder_;
}

void CScanJob::problem(const std::string& text) {
    problems_.push_back(text);
    if (services_.report) services_.report(text);
}

void CScanJob::refuse(int message, const std::string& value) {
    problems_.push_back(std::to_string(message) + ": " + value);
    if (services_.naming.message) services_.naming.message(message, value);
}

void CScanJob::refuseMissing(const std::string& what) { refuse(kMessageMissingSetting, what); }

int CScanJob::ReadActionSettings(const std::string& actionType) {
    kind_ = ActionOfType(actionType);
    const std::string modeSection = section_ + "\\" + mode_;
    HKEY formats = nullptr;
    if (services_.appKey) RegOpenKeyExA(services_.appKey, "File Format", 0, KEY_READ, &formats);
    auto readFiles = [&] {
        files_ = ReadFileSettings(formats, profile_, modeSection);
        return files_.ready;
    };
    if (formats) {
        std::string library;
        if (suite::ReadStringValue(formats, "Our PDF", &library)) pdfLibrary_ = library;
        // An installed OCR application that makes PDF files goes first.
        if (!suite::FirstExistingLocatedFile(formats, "Moplink Check Path ", &pdfApp_)) pdfApp_.clear();
    }
    outputFolder_ = profile_.String(section_ + "\\Folder", "1", "");
    NamingHooks hooks = services_.naming;
    // A file half written when the program is killed goes at the next start.
    hooks.writing = [this](const std::string& path) { suite::NoteStrayFile(TemporaryFolder(), Native(path)); };
    int ready = 0;
    switch (kind_) {
        case ActionKind::Filing:
        case ActionKind::Custom: {
            // Without a complete format list the job has no format to save in.
            bool filesOk = readFiles();
            NamingSettings naming = ReadNamingSettings(profile_, section_);
            if (naming.launchApp) launchProgram_ = profile_.String(section_ + "\\Applications\\1", "Exe Pathname", "");
            namer_ = std::make_unique<OutputNamer>(naming, outputFolder_, hooks);
            ready = filesOk && !outputFolder_.empty() ? 1 : 0;
            if (!filesOk) refuseMissing("the file type of the pages");
            if (kind_ == ActionKind::Custom) {
                const int index = profile_.Int(section_, "Current Application Index", 0);
                const std::string app = section_ + "\\Applications\\" + std::to_string(index + 1);
                program_ = profile_.String(app, "Exe Pathname", "");
                commandLine_ = profile_.String(app, "Command Line", "");
                launchOnly_ = profile_.Int(section_, "Launch Only", 0) != 0;
                if (program_.empty()) {
                    ready = 0;
                    refuseMissing("the program to hand the pages to");
                    break;
                }
                if (launchOnly_) {
                    ready = 1;
                    break;
                }
            }
            if (filesOk && outputFolder_.empty()) refuseMissing("the folder to save the pages in");
            break;
        }
        case ActionKind::Mail:
        case ActionKind::Ftp: {
            bool filesOk = readFiles();
            promptForName_ = profile_.Int(section_, "Prompt for Filename", 0) != 0;
            mailHeading_.to = MailAddresses(profile_.String(section_, "Mail To", ""));
            mailHeading_.subject = profile_.String(section_, "Mail Subject", "");
            // Without an output folder the files wait in the job's own folder until sent.
            std::string folder = outputFolder_.empty() ? TemporaryFolder() : outputFolder_;
            namer_ = std::make_unique<OutputNamer>(NamingSettings{}, folder, hooks);
            ready = filesOk ? 1 : 0;
            if (!filesOk) refuseMissing("the file type of the pages");
            if (kind_ == ActionKind::Ftp && ready && profile_.String(section_ + "\\Session\\1", "Host Name", "").empty()) {
                ready = 0;
                refuseMissing("the FTP server to send the files to");
            }
            break;
        }
        case ActionKind::Copy: {
            printerName_ = profile_.String(section_, "Printer Name", "");
            copies_ = profile_.Int(section_, "Copies", 1);
            const bool center = profile_.Int(section_, "Center On Page", 0) != 0;
            const bool fit = profile_.Int(section_, "Fit in Page", 0) != 0;
            scale_ = profile_.Int(section_, "Scale", 100);
            printFlags_ = PRINTER_FLAGS_BASE | (center ? PRINTER_FLAG_CENTER : 0u);
            if (fit) {
                printFlags_ |= PRINTER_FLAG_FIT;
                scale_ = 100;
            } else {
                printFlags_ |= PRINTER_FLAG_SCALE;
            }
            if (printerName_.empty()) {
                refuseMissing("the printer to print on");
                break;
            }
            // Without the printer library's table there is nothing to print with.
            ready = loadPrinterLibrary() ? 1 : 0;
            // A printer this machine does not have prints nowhere: nothing is scanned for it.
            if (ready && services_.findPrinter &&
                !services_.findPrinter(printerName_, &printerDriver_, &printerPort_)) {
                ready = 0;
                refuse(kMessageNoPrinter, printerName_);
            }
            break;
        }
        case ActionKind::Ocr: {
            const std::string name = profile_.String(section_, "Current Application Name", "");
            std::string why;
            ready = !name.empty() &&
                    SelectOcrApplication(services_.appKey, profile_, section_, name, Lower(actionType), &ocr_, &why)
                        ? 1
                        : 0;
            if (!ready && !name.empty()) problem(why);
            if (name.empty())
                refuseMissing(Lower(actionType) == "bcr" ? "the card application to hand the pages to"
                                                         : "the OCR application to hand the pages to");
            launchExport_ = profile_.Int(section_, "Launch Export Application", 0) != 0;
            namer_ = std::make_unique<OutputNamer>(ReadNamingSettings(profile_, section_), outputFolder_, hooks);
            if (ready && outputFolder_.empty()) {
                ready = 0;
                refuseMissing("the folder to save the pages in");
            }
            break;
        }
        case ActionKind::Capture: {
            ready = detectCaptureApp() ? 1 : 0;
            if (!ready) problem("The capture application is not installed; nothing is scanned.");
            // Its pages and list wait in the job's own folder for it.
            const std::string& folder = TemporaryFolder();
            namer_ = std::make_unique<OutputNamer>(NamingSettings{}, folder, hooks);
            if (folder.empty()) ready = 0;
            break;
        }
        default:
            ready = 0;
            refuse(kMessageUnknownAction, actionType);
            break;
    }
    if (kind_ == ActionKind::Ftp) ftp_ = ReadFtpSettings(profile_, section_);
    // A prefix that could lead the names out of the output folder runs no job.
    if (namer_ && !IsValidPrefix(namer_->Settings().prefix)) {
        problem("The file name prefix \"" + namer_->Settings().prefix + "\" cannot name files.");
        ready = 0;
    }
    if (formats) RegCloseKey(formats);
    return ready;
}

int CScanJob::ReadScanSettings(SCAN_SETTINGS* block) {
    ScanSettingsSources sources;
    sources.section = section_;
    sources.sourceName = source_;
    sources.papers = services_.papers;
    sources.blankPages = &blankPages_;
    ::keyrider::ReadScanSettings(profile_, sources, block, &edgeFill_);
    return 1;
}

bool CScanJob::name(bool collect, const std::string& extension, std::string* path) {
    if (!namer_) return false;
    NameResult r = collect ? namer_->CollectName(extension, files_.formatCode, promptForName_, askedForName_, path)
                           : namer_->NextName(extension, path);
    switch (r) {
        case NameResult::Named: return true;
        case NameResult::Overflow: break;  // message 8 was shown
        case NameResult::Cancelled: problem("The scan stopped: no file name was chosen."); break;
        case NameResult::NoFolder: problem("The scan stopped: the folder \"" + namer_->Folder() + "\" cannot be made."); break;
        case NameResult::CannotCreate: problem("The scan stopped: no new file can be made in \"" + namer_->Folder() + "\"."); break;
    }
    return false;
}

std::string CScanJob::settled(const std::string& path) { return namer_ ? namer_->Settle(path) : path; }

void CScanJob::deleteFile(const std::string& path) {
    if (namer_) namer_->Discard(path);
    std::error_code ec;
    fs::remove(Native(path), ec);
}

// A page waiting to be joined into a PDF: a JPEG file of its own in the
// job's private folder, under a name created exclusively.
bool CScanJob::savePageFile(IL_IMAGE* page) {
    const std::string& folder = TemporaryFolder();
    if (folder.empty()) return false;
    char base[32];
    std::snprintf(base, sizeof base, "page%03x.jpg", ++pageFileCounter_ & 0xFFFu);
    std::string path = suite::CreateNewFileWithSuffix(folder + base);
    if (path.empty()) return false;
    IL_SAVEOPTIONS options{0, DWORD(files_.jpegQuality)};
    if (services_.image->SaveImage(path.c_str(), IL_FORMAT_JPG, &options, page, nullptr, nullptr) != 0) {
        deleteFile(path);
        return false;
    }
    pageFiles_.push_back(path);
    return true;
}

// The pages of a join that failed stay as images beside where the PDF would be.
void CScanJob::rescuePages(const std::string& stem) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < pageFiles_.size(); ++i) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "-%02d.jpg", int(i + 1));
        // Moved under a free name in one step: a kill leaves no empty file behind.
        const std::string target = suite::PublishWithSuffix(pageFiles_[i], stem + suffix);
        if (!target.empty()) {
            ++kept;
            finished_.push_back(target);
            continue;
        }
        problem("A page could not be moved out of \"" + TemporaryFolder() + "\"; it stays there.");
    }
    problem("The PDF file \"" + stem + ".pdf\" could not be made; its " + std::to_string(kept) +
            " pages are kept as images beside it.");
    pageFiles_.clear();
}

// E-mail and FTP name their first file before scanning: the first file made takes that name.
bool CScanJob::takeName(bool collect, const std::string& extension, std::string* path) {
    if (collect && !currentOutput_.empty()) {
        *path = currentOutput_;
        currentOutput_.clear();
        return true;
    }
    return name(collect, extension, path);
}

JoinOutcome CScanJob::joinWithPdfApp(const std::string& output) {
    bool safe = SafeForDdeCommand(output);
    for (const std::string& page : pageFiles_) safe = safe && SafeForDdeCommand(page);
    if (!safe) {
        problem("\"" + output + "\" or one of its pages holds \")\" or \",\" and cannot be named to \"" + pdfApp_ + "\".");
        return JoinOutcome::Refused;
    }
    ConnectorServices::DdeScript script;
    script.service = "Quade";
    script.topic = "QuadeOCR";
    script.startLine = "\"" + pdfApp_ + "\" -nologo";
    script.windowTitle = "Moplink";
    script.endWhenStarted = true;
    for (std::string& command : PdfAppCommands(pageFiles_, output, files_.jpegQuality))
        script.commands.push_back({std::move(command), 60000});
    std::string why;
    if (!services_.connectors.dde || !services_.connectors.dde(script, &why)) {
        problem("\"" + pdfApp_ + "\" made no PDF file: " + why + ".");
        return JoinOutcome::Refused;
    }
    return CountPdfPages(output) == int(pageFiles_.size()) ? JoinOutcome::Joined : JoinOutcome::Incomplete;
}

bool CScanJob::flushPdf(bool collect) {
    if (pageFiles_.empty()) return true;
    std::string output;
    if (!takeName(collect, "pdf", &output)) return false;
    JoinOutcome outcome;
    if (!pdfApp_.empty()) {
        outcome = joinWithPdfApp(output);
    } else {
        PdfProgress progress(services_.messages, services_.owner, services_.title, services_.pump);
        outcome = JoinPagesWithLibrary(pdfLibrary_, pageFiles_, output, files_.jpegQuality,
                                       [&](int total, int remaining, int page) {
                                           return progress.Step(total, remaining, page);
                                       });
    }
    if (outcome != JoinOutcome::Joined) {
        const std::string intended = namer_ ? namer_->Intended(output) : output;
        deleteFile(output);
        rescuePages(StemOf(intended));
        return false;
    }
    for (const std::string& page : pageFiles_) deleteFile(page);
    pageFiles_.clear();
    output = settled(output);
    finished_.push_back(output);
    if (collect) outputFiles_.push_back(output);
    handOver(output);
    return true;
}

int CScanJob::OnScannedPage(IL_IMAGE* page, void* argument) {
    (void)argument;
    CScanJob* job = g_running;
    if (!job || !page) return 0;
    ++job->pagesSeen_;
    if (job->kind_ == ActionKind::Copy) return job->printPage(page);
    if (job->kind_ == ActionKind::Ocr) return job->saveOcrPage(page);
    if (job->kind_ == ActionKind::Capture) return job->addPageToCaptureList(page);
    return job->savePage(page, job->kind_ == ActionKind::Mail || job->kind_ == ActionKind::Ftp);
}

int CScanJob::savePage(IL_IMAGE* page, bool collect) {
    if (stopped_) return 0;
    scanned_ = true;
    page->Flags &= ~DWORD(IL_FLAG_FREE_AFTER_USE);
    const IL_FUNCTIONTABLE& il = *services_.image;
    bool ok = true;
    if (files_.traits.pdf) {
        ok = savePageFile(page);
        if (!ok) problem("The scan stopped: a page could not be kept in \"" + TemporaryFolder() + "\".");
        else if (!files_.pdfSingleFile && int(pageFiles_.size()) >= files_.pagesPerPdf && !flushPdf(collect) &&
                 !pageFiles_.empty())
            stopped_ = true;  // no PDF can be named: the rest stay in the feeder
    } else if (files_.traits.multiPage) {
        // The first page starts a new file; the others are appended to it.
        bool first = !firstPageNamed_;
        if (first && !(collect && !currentOutput_.empty())) {
            ok = name(collect, files_.traits.extension, &currentOutput_);
            if (collect) askedForName_ = true;
        }
        if (ok) {
            IL_SAVEOPTIONS options{first ? 0u : 1u, DWORD(files_.Quality())};
            ok = il.SaveImage(currentOutput_.c_str(), files_.traits.imageFormat, &options, page, nullptr, nullptr) == 0;
            if (!ok) {
                if (first) deleteFile(currentOutput_);
                problem("The scan stopped: a page could not be added to \"" +
                        (namer_ ? namer_->Intended(currentOutput_) : currentOutput_) + "\".");
            } else if (first) {
                firstPageNamed_ = true;
                finished_.push_back(currentOutput_);
                if (collect) outputFiles_.push_back(currentOutput_);
            }
        }
    } else if (files_.traits.imageFormat >= 0) {
        std::string path;
        ok = takeName(collect, files_.traits.extension, &path);
        if (ok) {
            IL_SAVEOPTIONS options{0, DWORD(files_.Quality())};
            ok = il.SaveImage(path.c_str(), files_.traits.imageFormat, &options, page, nullptr, nullptr) == 0;
            if (!ok) {
                const std::string intended = namer_ ? namer_->Intended(path) : path;
                deleteFile(path);
                problem("The scan stopped: the page could not be saved as \"" + intended + "\".");
            } else {
                path = settled(path);
                finished_.push_back(path);
                if (collect) outputFiles_.push_back(path);
                handOver(path);
            }
        }
    } else {
        ok = false;
        problem("The scan stopped: the button's file format cannot hold pages.");
    }
    if (!ok) {
        // The page stays with the scan library and the feeder keeps the rest.
        stopped_ = true;
        return 0;
    }
    il.FreeImage(page);
    return 1;
}

void CScanJob::handOver(const std::string& file) {
    if (kind_ != ActionKind::Custom || program_.empty()) return;
    std::string parameters;
    std::size_t start = commandLine_.find_first_not_of(' ');
    std::string line = start == std::string::npos ? std::string() : commandLine_.substr(start);
    const std::string native = Native(file);
    if (line.empty()) {
        parameters = "\"" + native + "\"";
    } else {
        parameters = line;
        std::size_t at = parameters.find("%1");
        // A command line without "%1" takes the file after its own arguments.
        if (at != std::string::npos) parameters.replace(at, 2, native);
        else parameters += " \"" + native + "\"";
    }
    if (!services_.launch || !services_.launch(program_, parameters))
        problem("The program \"" + program_ + "\" could not be started for \"" + file + "\"; the file is kept.");
}

// Has the scan library scan, with the job's pages arriving through
// OnScannedPage; a jam after some pages is reported (those pages are
// handled as any others).
int CScanJob::scanPages(void* argument) {
    g_running = this;
    stopped_ = false;
    pagesSeen_ = 0;
    int result = 0;
    // Each page is freed before the next of its size arrives: its memory stays for that one.
    suite::KeepLargeBlocksForReuse(std::size_t(32) << 20);
    if (services_.scan && services_.scan->ScanPages)
        result = services_.scan->ScanPages(&block_, &CScanJob::OnScannedPage, argument);
    suite::ReleaseKeptMemory();
    g_running = nullptr;
    if (result == SCAN_PAGES_JAMMED) refuse(kMessageJammedAfter, std::to_string(pagesSeen_));
    // Blank pages dropped from pages that were kept are told when the user wants to hear of them.
    const int blanks = services_.scan && services_.scan->ScanBlanksDropped ? services_.scan->ScanBlanksDropped() : 0;
    if (result != 0 && blanks > 0 && ReadDword(services_.appKey, "Display Blank Page Message", 1) != 0 &&
        services_.naming.message)
        services_.naming.message(kMessageBlanksDropped, std::to_string(blanks));
    if (result == 0) {
        // Nothing came: the scan library tells why, when it can.
        const int end = services_.scan && services_.scan->ScanLastEnd ? services_.scan->ScanLastEnd() : SCAN_END_FAILED;
        switch (end) {
            case SCAN_END_NO_PAPER: refuse(kMessageNoPaper); break;
            case SCAN_END_JAMMED: refuse(kMessageJammedAtOnce); break;
            case SCAN_END_NO_SCANNER: refuse(kMessageNoScanner); break;
            case SCAN_END_ALL_BLANK: refuse(kMessageAllBlank); break;
            default: refuse(kMessageScanFailed); break;
        }
    }
    return result;
}

CScanJob::EndJobRecord CScanJob::endJobRecord() const {
    EndJobRecord record{};
    std::memcpy(record.data() + 8, reinterpret_cast<const BYTE*>(&block_) + 12, record.size() - 8);
    return record;
}

void CScanJob::endJob(const EndJobRecord& record) {
    if (services_.scan && services_.scan->ScanEndJob) services_.scan->ScanEndJob(record.data());
}

void CScanJob::runScan(bool collect) {
    const EndJobRecord record = endJobRecord();
    scanPages(nullptr);
    endJob(record);
    // A multi-page file is whole now.
    if (files_.traits.multiPage && firstPageNamed_) {
        const std::string name = settled(currentOutput_);
        std::replace(finished_.begin(), finished_.end(), currentOutput_, name);
        std::replace(outputFiles_.begin(), outputFiles_.end(), currentOutput_, name);
        currentOutput_ = name;
    }
    // The pages still waiting make one more PDF file.
    if (!pageFiles_.empty()) flushPdf(collect);
    if (!pageFiles_.empty())
        problem(std::to_string(pageFiles_.size()) + " scanned pages are kept in \"" + TemporaryFolder() + "\".");
}

void CScanJob::runFiling() {
    if (namer_) namer_->ConfirmPrefix();
    runScan(false);
    if (!launchProgram_.empty() && services_.launch && !services_.launch(launchProgram_, ""))
        problem("The program \"" + launchProgram_ + "\" could not be started.");
}

void CScanJob::runCustom() {
    if (launchOnly_) {
        if (!services_.launch || !services_.launch(program_, ""))
            problem("The program \"" + program_ + "\" could not be started.");
        return;
    }
    if (namer_) namer_->ConfirmPrefix();
    runScan(false);
    // A multi-page file is finished only now.
    if (files_.traits.multiPage && firstPageNamed_) handOver(currentOutput_);
}

void CScanJob::runCollect(ActionKind kind) {
    // The first name comes before scanning (the save dialog may show); without one nothing is scanned.
    if (!name(true, files_.traits.pdf ? "pdf" : files_.traits.extension, &currentOutput_)) {
        currentOutput_.clear();
        return;
    }
    if (files_.traits.multiPage) askedForName_ = true;
    runScan(true);
    // A name no file took is given back.
    if (!currentOutput_.empty() && std::find(finished_.begin(), finished_.end(), currentOutput_) == finished_.end())
        deleteFile(currentOutput_);
    currentOutput_.clear();
    if (outputFiles_.empty()) return;
    if (kind == ActionKind::Mail) {
        if (sendMail) sendMail(outputFiles_);
        else mailFiles(outputFiles_);
    }
    if (kind == ActionKind::Ftp) {
        if (upload) upload(outputFiles_);
        else uploadFiles(outputFiles_);
    }
    outputFiles_.clear();
}

int CScanJob::DispatchJobOutput(const std::string& actionType) {
    const ActionKind kind = ActionOfType(actionType);
    if (kind != kind_ || !services_.image) return 1;
    switch (kind) {
        case ActionKind::Filing: runFiling(); break;
        case ActionKind::Custom: runCustom(); break;
        case ActionKind::Mail:
        case ActionKind::Ftp: runCollect(kind); break;
        case ActionKind::Copy: runCopy(); break;
        case ActionKind::Ocr: runOcr(); break;
        case ActionKind::Capture: runCapture(); break;
        default: break;
    }
    return 1;
}

void CScanJob::mailFiles(const std::vector<std::string>& files) {
    unsigned long code = 0;
    switch (SendFilesByMail(files, mailHeading_, mailLibrary, &code)) {
        case MailOutcome::Sent: dropSent(files, files.size()); break;
        case MailOutcome::UserAborted:
            if (outputFolder_.empty())
                problem("The mail was not sent; its " + std::to_string(files.size()) + " files are in \"" +
                        (namer_ ? namer_->Folder() : std::string()) + "\".");
            break;
        case MailOutcome::NoLibrary:
            if (services_.naming.message) services_.naming.message(16, "");
            break;
        case MailOutcome::Failed:
            problem("The mail with " + std::to_string(files.size()) + " files could not be sent (" + std::to_string(code) +
                    "); the files stay in \"" + (namer_ ? namer_->Folder() : std::string()) + "\".");
            break;
    }
}

void CScanJob::uploadFiles(const std::vector<std::string>& files) {
    if (!session_) {
        session_ = std::unique_ptr<CInternetSession, void (*)(CInternetSession*)>(
            new CInternetSession("Keyrider"), [](CInternetSession* s) { delete s; });
        // Every exchange with the server is bounded.
        session_->SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, 15000);
        session_->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, 30000);
        session_->SetOption(INTERNET_OPTION_SEND_TIMEOUT, 30000);
    }
    UploadOutcome outcome = UploadFiles(*session_, ftp_, files, afterUploadedFile);
    const std::string kept = namer_ ? namer_->Folder() : std::string();
    if (!outcome.connected) {
        if (services_.naming.message) services_.naming.message(26, "");
        problems_.push_back(outcome.problem);
        if (outputFolder_.empty())
            problem("The " + std::to_string(files.size()) + " files that were not sent are in \"" + kept + "\".");
        return;
    }
    dropSent(files, std::size_t(outcome.confirmed));
    if (outcome.confirmed < int(files.size()))
        problem("The FTP upload stopped after " + std::to_string(outcome.confirmed) + " of " +
                std::to_string(files.size()) + " files: " + outcome.problem + " The other files are in \"" + kept +
                "\".");
}

void CScanJob::dropSent(const std::vector<std::string>& files, std::size_t count) {
    // Without an output folder the files were made only to be sent.
    if (!outputFolder_.empty()) return;
    for (std::size_t i = 0; i < count && i < files.size(); ++i) {
        std::error_code ec;
        fs::remove(Native(files[i]), ec);
    }
}

bool CScanJob::loadPrinterLibrary() {
    if (printer_) return true;
    printerModule_ = LoadLibraryA((services_.programFolder + "Duvrin.dll").c_str());
    auto entry = printerModule_ ? reinterpret_cast<PRINTER_INTERFACE>(GetProcAddress(printerModule_, "Printer_Interface"))
                                : nullptr;
    printer_ = entry ? entry() : nullptr;
    if (!printer_ || !printer_->PrinterBeginJob || !printer_->PrinterStartDoc || !printer_->PrinterPrintPage ||
        !printer_->PrinterEndDoc) {
        printer_ = nullptr;
        if (printerModule_) FreeLibrary(printerModule_);
        printerModule_ = nullptr;
        problem("The printer library \"Duvrin.dll\" cannot be used; nothing is printed.");
        return false;
    }
    return true;
}

void CScanJob::runCopy() {
    if (!printer_) return;
    std::memset(&printerRecord_, 0, sizeof printerRecord_);
    PRINTER_NAMES names{printerName_.c_str(), printerDriver_.c_str(), printerPort_.c_str()};
    printer_->PrinterBeginJob(&printerRecord_, &names, &printerRecord_);
    printerNames_ = printerName_ + '\0' + printerDriver_ + '\0' + printerPort_ + '\0';
    std::memset(&printJob_, 0, sizeof printJob_);
    std::snprintf(printJob_.Title, sizeof printJob_.Title, "%s", services_.title.c_str());
    printJob_.Copies = copies_;
    printJob_.Scale = scale_;
    printJob_.Flags = printFlags_;
    printJob_.PrinterNames = printerNames_.c_str();
    printJob_.Printer = &printerRecord_;
    printJob_.ImageTable = services_.image;
    documentStarted_ = false;
    const EndJobRecord record = endJobRecord();
    scanPages(&printJob_);
    // One end for the document, whatever happened to its pages.
    if (documentStarted_) printer_->PrinterEndDoc(&printJob_, 0);
    documentStarted_ = false;
    endJob(record);
}

int CScanJob::printPage(IL_IMAGE* page) {
    if (stopped_ || !printer_) return 0;
    scanned_ = true;
    page->Flags &= ~DWORD(IL_FLAG_FREE_AFTER_USE);
    printJob_.Page = page;
    printJob_.ImageWidth = page->Header ? DWORD(page->Header->Width) : 0;
    printJob_.ImageBytesPerLine = page->Header ? page->Header->BytesPerLine : 0;
    if (!documentStarted_) {
        if (!printer_->PrinterStartDoc(&printJob_)) {
            // The page stays in the scanner's hands and the rest in the feeder.
            problem("The printer \"" + printerName_ + "\" refused the document; the scan stopped.");
            stopped_ = true;
            return 0;
        }
        documentStarted_ = true;
    }
    if (!printer_->PrinterPrintPage(&printJob_)) {
        // A refused page ends the document, once; the scan stops with it.
        printer_->PrinterEndDoc(&printJob_, 0);
        documentStarted_ = false;
        problem("The printer \"" + printerName_ + "\" refused page " + std::to_string(printedPages_ + 1) +
                "; the scan stopped.");
        stopped_ = true;
        return 0;
    }
    ++printedPages_;
    services_.image->FreeImage(page);
    return 1;
}

// A hand-off page's name: the local time and the job's running number.
std::string CScanJob::ocrPageName() {
    SYSTEMTIME t{};
    if (services_.naming.now) t = services_.naming.now();
    else GetLocalTime(&t);
    char name[64];
    std::snprintf(name, sizeof name, "%02d%02d%02d%02d%02d%02d-%02d.%s", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond, ++ocrRunning_, ExtensionOfKind(ocr_.imageKind));
    const std::string& folder = TemporaryFolder();
    return folder.empty() ? std::string() : suite::CreateNewFileWithSuffix(folder + name);
}

bool CScanJob::newOcrBatch() {
    std::string stem;
    NameResult r = namer_ ? namer_->NextName("", &stem, false) : NameResult::NoFolder;
    if (r != NameResult::Named) {
        if (r == NameResult::NoFolder) problem("The scan stopped: the folder \"" + outputFolder_ + "\" cannot be made.");
        return false;
    }
    ocrNames_.push_back(stem);
    ocrBatches_.emplace_back();
    ocrPagesInBatch_ = 0;
    if (ocr_.imageKind == 4) {
        ocrBatchFile_ = ocrPageName();
        if (ocrBatchFile_.empty()) {
            problem("The scan stopped: no batch file can be made in \"" + TemporaryFolder() + "\".");
            return false;
        }
        ocrBatches_.back().push_back(ocrBatchFile_);
    }
    return true;
}

int CScanJob::saveOcrPage(IL_IMAGE* page) {
    if (stopped_) return 0;
    scanned_ = true;
    page->Flags &= ~DWORD(IL_FLAG_FREE_AFTER_USE);
    const int format = ImageFormatOfKind(ocr_.imageKind);
    std::string path;
    bool ok;
    if (ocr_.imageKind == 4) {
        path = ocrBatchFile_;
        IL_SAVEOPTIONS options{ocrPagesInBatch_ > 0 ? 1u : 0u, 0xFFFFFFFFu};
        ok = !path.empty() && services_.image->SaveImage(path.c_str(), format, &options, page, nullptr, nullptr) == 0;
    } else {
        path = ocrPageName();
        IL_SAVEOPTIONS options{0, 0xFFFFFFFFu};
        ok = !path.empty() && services_.image->SaveImage(path.c_str(), format, &options, page, nullptr, nullptr) == 0;
        if (ok) ocrBatches_.back().push_back(path);
        else if (!path.empty()) deleteFile(path);
    }
    if (!ok) {
        problem("The scan stopped: a page could not be kept for \"" + ocr_.program + "\".");
        stopped_ = true;
        return 0;
    }
    services_.image->FreeImage(page);
    ++ocrPagesInBatch_;
    const int perFile = ocr_.Option("PagesToFile", 1);
    if (ocr_.Option("Page Single File") == 0 && perFile > 0 && ocrPagesInBatch_ >= perFile && !newOcrBatch())
        stopped_ = true;
    return 1;
}

void CScanJob::runOcr() {
    ocrRunning_ = 0;
    ocrBatches_.clear();
    ocrNames_.clear();
    if (!newOcrBatch()) return;
    const EndJobRecord record = endJobRecord();
    scanPages(nullptr);
    // A batch that got no page is dropped with its name.
    if (!ocrBatches_.empty() && ocrPagesInBatch_ == 0) {
        for (const std::string& f : ocrBatches_.back()) deleteFile(f);
        ocrBatches_.pop_back();
        ocrNames_.pop_back();
    }
    endJob(record);
    if (ocrBatches_.empty()) return;
    ConnectorServices connectors = services_.connectors;
    connectors.temporaryFolder = TemporaryFolder();
    connectors.programFolder = services_.programFolder;
    connectors.report = [this](const std::string& text) { problem(text); };
    if (!connectors.exists)
        connectors.exists = [](const std::string& path) {
            std::error_code ec;
            return fs::exists(Native(path), ec);
        };
    for (const std::string& page : SendToOcrApplication(ocr_, ocrBatches_, ocrNames_, launchExport_, false, connectors))
        deleteFile(page);
}

// The capture application: "Exe Pathname" of its first application entry, or
// the folder a local-machine value names and the program's name.
bool CScanJob::detectCaptureApp() {
    HKEY key = nullptr;
    if (!services_.appKey ||
        RegOpenKeyExA(services_.appKey, "Fennick\\Default\\Applications\\1", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    std::string path;
    bool found = suite::ReadStringValue(key, "Exe Pathname", &path) && PathFileExistsA(path.c_str());
    std::string where, valueName, exeName;
    if (!found && suite::ReadStringValue(key, "Registry Key", &where) &&
        suite::ReadStringValue(key, "Registry Exe Pathname", &valueName) &&
        suite::ReadStringValue(key, "Registry Exe Name", &exeName)) {
        HKEY folderKey = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, where.c_str(), 0, KEY_READ, &folderKey) == ERROR_SUCCESS) {
            std::string folder;
            if (suite::ReadStringValue(folderKey, valueName, &folder) && !folder.empty()) {
                if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
                path = folder + exeName;
                found = PathFileExistsA(path.c_str()) != FALSE;
            }
            RegCloseKey(folderKey);
        }
    }
    RegCloseKey(key);
    if (found) captureProgram_ = path;
    return found;
}

void CScanJob::runCapture() {
    capturePages_ = 0;
    pagesArrived_ = false;
    const std::string& folder = TemporaryFolder();
    char list[MAX_PATH * 4] = {};
    if (folder.empty() || !GetTempFileNameA(folder.c_str(), "Image", 0, list)) {
        problem("No list file for the capture application can be made in \"" + folder + "\"; nothing is scanned.");
        return;
    }
    captureList_ = list;
    {
        std::ofstream out(Native(captureList_), std::ios::binary | std::ios::trunc);
        out << "[Operation]\r\nDeleteSource=1\r\n[Source]\r\n";
        if (!out.flush()) {
            problem("The list file \"" + captureList_ + "\" cannot be written; nothing is scanned.");
            deleteFile(captureList_);
            return;
        }
    }
    const EndJobRecord record = endJobRecord();
    scanPages(captureList_.data());
    endJob(record);
    if (!pagesArrived_) {
        deleteFile(captureList_);
        return;
    }
    // The application takes the pages from the list (and deletes them, as the list says).
    if (!services_.launch || !services_.launch(captureProgram_, "\"" + captureList_ + "\""))
        problem("The capture application \"" + captureProgram_ + "\" could not be started; its pages are listed in \"" +
                captureList_ + "\".");
}

int CScanJob::addPageToCaptureList(IL_IMAGE* page) {
    if (stopped_) return 0;
    scanned_ = true;
    pagesArrived_ = true;
    page->Flags &= ~DWORD(IL_FLAG_FREE_AFTER_USE);
    std::string path;
    bool ok = name(true, "bmp", &path);
    if (ok) {
        IL_SAVEOPTIONS options{0, 0};
        ok = services_.image->SaveImage(path.c_str(), IL_FORMAT_BMP, &options, page, nullptr, nullptr) == 0;
        if (!ok) {
            const std::string intended = namer_ ? namer_->Intended(path) : path;
            deleteFile(path);
            problem("The scan stopped: the page could not be saved as \"" + intended + "\".");
        } else {
            path = settled(path);
        }
    }
    if (ok) {
        const std::string number = std::to_string(capturePages_ + 1);
        const std::string entry = "1,0," + path;
        ok = WritePrivateProfileStringA("source", number.c_str(), entry.c_str(), captureList_.c_str()) &&
             WritePrivateProfileStringA("source", "count", number.c_str(), captureList_.c_str());
        if (!ok) problem("The scan stopped: \"" + captureList_ + "\" cannot take page " + number + "; it is kept as \"" + path + "\".");
        else ++capturePages_;
        finished_.push_back(path);
    }
    if (!ok) {
        stopped_ = true;
        return 0;
    }
    services_.image->FreeImage(page);
    return 1;
}

}  // namespace keyrider
