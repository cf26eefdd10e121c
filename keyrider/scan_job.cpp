#include "keyrider/scan_job.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/win/exclusive_file.h"
#include "platform/win/files.h"
#include "platform/win/locator.h"
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
    // The private folder goes when it is empty; a kept page keeps it.
    if (!temporaryFolder_.empty()) {
        std::error_code ec;
        fs::remove(Native(temporaryFolder_), ec);
    }
}

void CScanJob::SetNames(std::string section, std::string mode, std::string source) {
    section_ = std::move(section);
    mode_ = std::move(mode);
    source_ = std::move(source);
}

const std::string& CScanJob::TemporaryFolder() {
    if (temporaryFolder_.empty()) {
        char base[MAX_PATH + 1] = {};
        GetTempPathA(sizeof base, base);
        std::string pattern = Native(base);
        if (!pattern.empty() && pattern.back() != '/') pattern += '/';
        pattern += "keyrider-job-XXXXXX";
        if (::mkdtemp(pattern.data())) temporaryFolder_ = pattern + "/";
    }
    return temporaryFolder_;
}

void CScanJob::problem(const std::string& text) {
    problems_.push_back(text);
    if (services_.report) services_.report(text);
}

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
    }
    outputFolder_ = profile_.String(section_ + "\\Folder", "1", "");
    NamingHooks hooks = services_.naming;
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
            if (kind_ == ActionKind::Custom) {
                const int index = profile_.Int(section_, "Current Application Index", 0);
                const std::string app = section_ + "\\Applications\\" + std::to_string(index + 1);
                program_ = profile_.String(app, "Exe Pathname", "");
                commandLine_ = profile_.String(app, "Command Line", "");
                launchOnly_ = profile_.Int(section_, "Launch Only", 0) != 0;
                if (program_.empty()) ready = 0;
                else if (launchOnly_) ready = 1;
            }
            break;
        }
        case ActionKind::Mail:
        case ActionKind::Ftp: {
            bool filesOk = readFiles();
            promptForName_ = profile_.Int(section_, "Prompt for Filename", 0) != 0;
            // Without an output folder the files wait in the job's own folder until sent.
            std::string folder = outputFolder_.empty() ? TemporaryFolder() : outputFolder_;
            namer_ = std::make_unique<OutputNamer>(NamingSettings{}, folder, hooks);
            ready = filesOk ? 1 : 0;
            if (kind_ == ActionKind::Ftp && profile_.String(section_ + "\\Session\\1", "Host Name", "").empty())
                ready = 0;
            break;
        }
        default:
            ready = 0;
            break;
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

void CScanJob::deleteFile(const std::string& path) {
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
        std::string target = suite::CreateNewFileWithSuffix(stem + suffix);
        std::error_code ec;
        if (!target.empty()) {
            fs::rename(Native(pageFiles_[i]), Native(target), ec);
            if (!ec) {
                ++kept;
                finished_.push_back(target);
                continue;
            }
            deleteFile(target);
        }
        problem("A page could not be moved out of \"" + TemporaryFolder() + "\"; it stays there.");
    }
    problem("The PDF file \"" + stem + ".pdf\" could not be made; its " + std::to_string(kept) +
            " pages are kept as images beside it.");
    pageFiles_.clear();
}

bool CScanJob::flushPdf(bool collect) {
    if (pageFiles_.empty()) return true;
    std::string output;
    if (!name(collect, "pdf", &output)) return false;
    const JoinOutcome outcome = JoinPagesWithLibrary(pdfLibrary_, pageFiles_, output, files_.jpegQuality, {});
    if (outcome != JoinOutcome::Joined) {
        deleteFile(output);
        rescuePages(StemOf(output));
        return false;
    }
    for (const std::string& page : pageFiles_) deleteFile(page);
    pageFiles_.clear();
    finished_.push_back(output);
    if (collect) outputFiles_.push_back(output);
    handOver(output);
    return true;
}

int CScanJob::OnScannedPage(IL_IMAGE* page, void* argument) {
    (void)argument;
    CScanJob* job = g_running;
    if (!job || !page) return 0;
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
        else if (!files_.pdfSingleFile && int(pageFiles_.size()) >= files_.pagesPerPdf) flushPdf(collect);
    } else if (files_.traits.multiPage) {
        // The first page starts a new file; the others are appended to it.
        bool first = !firstPageNamed_;
        if (first) {
            ok = name(collect, files_.traits.extension, &currentOutput_);
            if (collect) askedForName_ = true;
        }
        if (ok) {
            IL_SAVEOPTIONS options{first ? 0u : 1u, DWORD(files_.Quality())};
            ok = il.SaveImage(currentOutput_.c_str(), files_.traits.imageFormat, &options, page, nullptr, nullptr) == 0;
            if (!ok) {
                if (first) deleteFile(currentOutput_);
                problem("The scan stopped: a page could not be added to \"" + currentOutput_ + "\".");
            } else if (first) {
                firstPageNamed_ = true;
                finished_.push_back(currentOutput_);
                if (collect) outputFiles_.push_back(currentOutput_);
            }
        }
    } else if (files_.traits.imageFormat >= 0) {
        std::string path;
        ok = name(collect, files_.traits.extension, &path);
        if (ok) {
            IL_SAVEOPTIONS options{0, DWORD(files_.Quality())};
            ok = il.SaveImage(path.c_str(), files_.traits.imageFormat, &options, page, nullptr, nullptr) == 0;
            if (!ok) {
                deleteFile(path);
                problem("The scan stopped: the page could not be saved as \"" + path + "\".");
            } else {
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
    if (line.empty()) {
        parameters = "\"" + file + "\"";
    } else {
        parameters = line;
        std::size_t at = parameters.find("%1");
        if (at != std::string::npos) parameters.replace(at, 2, file);
    }
    if (!services_.launch || !services_.launch(program_, parameters))
        problem("The program \"" + program_ + "\" could not be started for \"" + file + "\"; the file is kept.");
}

void CScanJob::runScan(bool collect) {
    BYTE record[284] = {};
    std::memcpy(record + 8, reinterpret_cast<const BYTE*>(&block_) + 12, 276);
    g_running = this;
    stopped_ = false;
    if (services_.scan && services_.scan->ScanPages) services_.scan->ScanPages(&block_, &CScanJob::OnScannedPage, nullptr);
    if (services_.scan && services_.scan->ScanEndJob) services_.scan->ScanEndJob(record);
    g_running = nullptr;
    // The pages still waiting make one more PDF file.
    if (!pageFiles_.empty()) flushPdf(collect);
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
    runScan(true);
    if (outputFiles_.empty()) return;
    if (kind == ActionKind::Mail && sendMail) sendMail(outputFiles_);
    if (kind == ActionKind::Ftp && upload) upload(outputFiles_);
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
        default: break;
    }
    return 1;
}

}  // namespace keyrider
