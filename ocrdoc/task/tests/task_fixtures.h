// What the task's tests share: rendered pages saved as image files, an open
// document with a page view wired to the fake shell's open path and
// commands, and small file helpers.
#pragma once

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/page_settings.h"
#include "ocrdoc/document/tests/fake_page_view.h"
#include "ocrdoc/document/tests/pipeline_fixtures.h"
#include "ocrdoc/tests/fake_document_host.h"
#include "outside/tests/pages.h"
#include "platform/win/memory.h"
#include "platform/win/path.h"

namespace taskfix {

namespace fs = std::filesystem;

inline std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Write(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A temporary folder for one test.
struct TempFolder {
    fs::path dir;
    explicit TempFolder(const std::string& name) {
        dir = fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~TempFolder() { fs::remove_all(dir); }
    std::string operator/(const std::string& file) const { return (dir / file).string(); }
};

// The shell's page list rows: path, language and type by name index, resolution 300.
// Any fake from the document layer's up.
template <class Host>
void AddRow(CFakeDocumentHostOf<Host>& shell, const std::string& path, int language, int type) {
    const PageSettings names = PageSettings::Defaults();
    const int row = shell.rowCount++;
    shell.cells[{row, kPageListPath}] = path;
    shell.cells[{row, kPageListLanguage}] = names.languageNames[language];
    shell.cells[{row, kPageListType}] = names.typeNames[type];
    shell.cells[{row, kPageListResolution}] = "300";
}

template <class Host>
void SelectRows(CFakeDocumentHostOf<Host>& shell, const std::vector<int>& rows) {
    shell.selectedRows = rows;
    shell.selectedCount = static_cast<int>(rows.size());
    shell.currentRow = rows.empty() ? -1 : rows.front();
}

// The open document with its page view, reached by the shell's open path
// and the main window's commands as the application reaches it.
struct OpenDocument {
    std::function<int(const std::string& path)>& onOpenDocument;
    std::function<void(UINT id)>& onSendCommand;
    COcrDoc doc;
    CPageViewWindow window{&doc};

    template <class Host>
    explicit OpenDocument(CFakeDocumentHostOf<Host>& shell)
        : onOpenDocument(shell.onOpenDocument), onSendCommand(shell.onSendCommand) {
        onOpenDocument = [this](const std::string& path) {
            if (!doc.GetPathName().IsEmpty() && suite::FullWindowsPath(path) == doc.GetPathName().GetString() && doc.m_pImage)
                return int(kOpenAlreadyOpen);
            doc.SaveModified();
            doc.OnOpenDocument(path.c_str());
            return int(kOpenStarted);
        };
        onSendCommand = [this](UINT id) {
            if (id == ID_DOC_LAYOUT) doc.OnDocLayout();
            if (id == ID_DOC_CLEAR_LAYOUT) doc.OnDocClearLayout();
        };
    }
    ~OpenDocument() {
        onOpenDocument = nullptr;
        onSendCommand = nullptr;
    }
    // Opens path and pumps until the page arrived.
    bool Open(const std::string& path) {
        const int before = window.view->pagesLoaded;
        doc.SaveModified();
        doc.OnOpenDocument(path.c_str());
        return PumpUntil([&] { return window.view->pagesLoaded > before; }, 30000) && doc.m_pImage;
    }
};

}  // namespace taskfix
