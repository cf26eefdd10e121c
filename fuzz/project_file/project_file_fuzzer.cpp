// Reads arbitrary bytes as a project file the way the load thread does, hands
// the block to a document holding a page, and checks that whatever was taken
// in writes back as a sound project. A file the scanner accepts must come
// back byte for byte from the writer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/common/scratch_folder.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document/project_file.h"
#include "platform/win/files.h"
#include "platform/win/handles.h"
#include "platform/win/memory.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr int kPageWidth = 640, kPageHeight = 480;

// One document for the whole run, given a fresh page before every input.
COcrDoc& Document() {
    static COcrDoc* doc = [] {
        auto* d = new COcrDoc;
        d->m_pImage = new CPageImage;
        d->m_pImage->m_nWidth = kPageWidth;
        d->m_pImage->m_nHeight = kPageHeight;
        d->m_pImage->m_nBitCount = 1;
        d->m_pImage->AllocBits(d->m_pImage->PlaneBytes());
        return d;
    }();
    return *doc;
}

const std::string& ScratchFile() {
    static const std::string path = fuzzing::ScratchFolder() + "/page.PST";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    ProjectContents scanned;
    if (ScanProject(data, size, ProjectForm::File, &scanned) == kProjectScanOk)
        Require(FormatProject(scanned) == std::vector<BYTE>(data, data + size));

    std::FILE* out = std::fopen(ScratchFile().c_str(), "wb");
    if (!out) return 0;
    if (size) std::fwrite(data, 1, size, out);
    std::fclose(out);
    HANDLE file = CreateFileA(ScratchFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    const DWORD length = static_cast<DWORD>(size);
    HGLOBAL block = GlobalAlloc(GHND, std::size_t{length} + kProjectBlockExtra);
    Require(block && ReadProjectBody(file, block, nullptr, length) == kProjectBodyRead);
    CloseHandle(file);

    COcrDoc& doc = Document();
    delete doc.m_pPageRegion;
    doc.m_pPageRegion = new CPageRegion(RECT{0, 0, kPageWidth, kPageHeight});
    doc.Reset();
    doc.m_nTextLen = 0;
    doc.m_bHasLayout = 0;
    doc.ParseProject(block);
    GlobalFree(block);

    // What the document took in is a project the scanner accepts again, and
    // it applies to an equal tree.
    ProjectContents back;
    std::memcpy(back.tag, "TIF", 3);
    back.page = doc.m_pPageRegion->Rect();
    back.records = CollectProjectRecords(*doc.m_pPageRegion);
    if (doc.m_bHasResult) {
        back.hasText = true;
        back.text = doc.m_pText;
        back.textLen = doc.m_nTextLen;
        back.chars = reinterpret_cast<const BYTE*>(doc.m_pChars);
        back.charBytes = doc.m_nCharBytes;
    }
    const std::vector<BYTE> bytes = FormatProject(back);
    ProjectContents again;
    Require(ScanProject(bytes.data(), bytes.size(), ProjectForm::File, &again) == kProjectScanOk);
    CPageRegion tree(RECT{0, 0, kPageWidth, kPageHeight});
    ApplyProjectRecords(again, tree, doc.m_pImage);
    Require(tree.GetChildCount() == doc.m_pPageRegion->GetChildCount());
    Require((tree.m_pSealRect == nullptr) == (doc.m_pPageRegion->m_pSealRect == nullptr));
    return 0;
}
