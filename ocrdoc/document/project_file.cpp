#include "ocrdoc/document/project_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "imaging/image_messages.h"
#include "ocrdoc/document/ocr_doc.h"
#include "ocrdoc/document_host.h"
#include "ocrdoc/helpers/path_helpers.h"
#include "ocrdoc/regions/layout_region.h"
#include "ocrdoc/regions/table_region.h"
#include "ocrdoc/result/reco_result.h"
#include "platform/win/atomic_file.h"
#include "platform/win/files.h"
#include "platform/win/memory.h"
#include "platform/win/sync.h"

static_assert(std::endian::native == std::endian::little, "the project file is little-endian");
static_assert(sizeof(TableCell) == kProjectCellBytes);

namespace {

constexpr DWORD kReadChunkBytes = 64u << 10;  // the stop event is polled between chunks
constexpr int kMaxRegionLines = 65535;        // line counts are kept in 16 bits

// Reads the bytes of a project one field at a time, never past its end.
class ProjectCursor {
public:
    ProjectCursor(const BYTE* data, std::size_t size) : m_data(data), m_left(size) {}
    std::size_t Left() const { return m_left; }
    const BYTE* Here() const { return m_data; }
    bool Int(int* out) {
        if (m_left < 4) return false;
        std::int32_t v;
        std::memcpy(&v, m_data, 4);
        *out = v;
        return Skip(4);
    }
    bool Skip(std::size_t n) {
        if (n > m_left) return false;
        m_data += n;
        m_left -= n;
        return true;
    }

private:
    const BYTE* m_data;
    std::size_t m_left;
};

void PutInt(std::vector<BYTE>& out, std::int32_t v) {
    BYTE bytes[4];
    std::memcpy(bytes, &v, 4);
    out.insert(out.end(), bytes, bytes + 4);
}

void PutBytes(std::vector<BYTE>& out, const void* data, std::size_t size) {
    if (size) out.insert(out.end(), static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
}

// Rectangles are stored left, right, top, bottom.
bool GetFileRect(ProjectCursor& in, RECT* out) {
    int l, r, t, b;
    if (!in.Int(&l) || !in.Int(&r) || !in.Int(&t) || !in.Int(&b)) return false;
    *out = RECT{l, t, r, b};
    return true;
}

void PutFileRect(std::vector<BYTE>& out, const RECT& rect) {
    PutInt(out, rect.left);
    PutInt(out, rect.right);
    PutInt(out, rect.top);
    PutInt(out, rect.bottom);
}

bool GetTablePart(ProjectCursor& in, ProjectRegionRecord* rec) {
    int rows;
    if (!in.Int(&rows) || rows < 0 || rows > kProjectMaxGridRows) return false;
    if (rows == 0) return true;
    if (!in.Int(&rec->gridColumns)) return false;
    if (static_cast<std::size_t>(rows) > in.Left() / 4) return false;
    rec->cellsPerRow.resize(static_cast<std::size_t>(rows));
    std::size_t total = 0;
    for (int& count : rec->cellsPerRow) {
        if (!in.Int(&count) || count < 0 || count > kProjectMaxGridCells) return false;
        total += static_cast<std::size_t>(count);
    }
    if (total > in.Left() / kProjectCellBytes) return false;
    rec->cells.resize(total);
    if (total) std::memcpy(rec->cells.data(), in.Here(), total * kProjectCellBytes);
    return in.Skip(total * kProjectCellBytes);
}

bool RecordBytesAreSound(std::size_t bytes) {
    return bytes % sizeof(RecoCharInfo) == 0 && bytes / sizeof(RecoCharInfo) <= kRecoMaxRecords;
}

// The cells of a stored grid lie inside their table and carry no negative
// line number or rule width, so that everything that walks them stays in range.
bool GridCellsFitTable(const ProjectRegionRecord& rec, const RECT& table) {
    const std::int64_t width = std::int64_t{table.right} - table.left, height = std::int64_t{table.bottom} - table.top;
    for (const TableCell& c : rec.cells) {
        if (c.left < 0 || c.right < c.left || c.right > width || c.top < 0 || c.bottom < c.top || c.bottom > height)
            return false;
        for (INT line : {c.nFirstCol, c.nFirstRow, c.nLastCol, c.nLastRow})
            if (line < 0 || line > kProjectMaxGridCells) return false;
        for (INT rule : {c.nLeftWidth, c.nTopWidth, c.nRightWidth, c.nBottomWidth})
            if (rule < 0 || rule > std::max(width, height)) return false;
    }
    return true;
}

// A program-owned grid holding the record's rows; NULL when memory is short.
TableGrid* GridOfRecord(const ProjectRegionRecord& rec) {
    const int rows = static_cast<int>(rec.cellsPerRow.size());
    TableGrid* grid = NewTableGrid(rows, rec.gridColumns);
    if (!grid) return nullptr;
    std::size_t next = 0;
    for (int r = 0; r < rows; ++r) {
        const int count = rec.cellsPerRow[static_cast<std::size_t>(r)];
        grid->pCellsPerRow[r] = count;
        if (count == 0) continue;
        grid->ppRows[r] = new (std::nothrow) TableCell[static_cast<std::size_t>(count)];
        if (!grid->ppRows[r]) {
            FreeTableGrid(grid);
            return nullptr;
        }
        std::copy_n(rec.cells.begin() + static_cast<std::ptrdiff_t>(next), count, grid->ppRows[r]);
        next += static_cast<std::size_t>(count);
    }
    return grid;
}

bool GridIsWhole(const TableGrid* grid) {
    if (!grid || grid->nRows < 1 || grid->nRows > kProjectMaxGridRows || !grid->pCellsPerRow || !grid->ppRows)
        return false;
    for (int r = 0; r < grid->nRows; ++r) {
        const int n = grid->pCellsPerRow[r];
        if (n < 0 || n > kProjectMaxGridCells || (n > 0 && !grid->ppRows[r])) return false;
    }
    return true;
}

}  // namespace

ProjectScanResult ScanProject(const BYTE* data, std::size_t size, ProjectForm form, ProjectContents* out) {
    *out = ProjectContents{};
    if (!data || size < kProjectHeaderBytes || std::memcmp(data, kProjectMagic, kProjectMagicBytes) != 0)
        return kProjectScanNoProject;
    std::memcpy(out->tag, data + kProjectMagicBytes, kProjectTagBytes);
    ProjectCursor in(data + kProjectMagicBytes + kProjectTagBytes, size - kProjectMagicBytes - kProjectTagBytes);
    int count = 0;
    GetFileRect(in, &out->page);
    in.Int(&count);
    if (count < 0 || count > kProjectMaxRecords || static_cast<std::size_t>(count) > in.Left() / kProjectRecordBytes)
        return kProjectScanDamaged;
    out->records.resize(static_cast<std::size_t>(count));
    for (ProjectRegionRecord& rec : out->records) {
        if (!GetFileRect(in, &rec.rect) || !in.Int(&rec.lines) || !in.Int(&rec.flags)) return kProjectScanDamaged;
        if ((rec.flags & kRegionTable) && !GetTablePart(in, &rec)) return kProjectScanDamaged;
    }
    // The result part.
    if (form == ProjectForm::File && in.Left() == 0) return kProjectScanOk;
    int textLen;
    if (!in.Int(&textLen) || textLen < 0) return kProjectScanDamaged;
    if (form == ProjectForm::Block && textLen == 0) return kProjectScanOk;  // what follows is not read
    if (static_cast<std::size_t>(textLen) > in.Left()) return kProjectScanDamaged;
    out->hasText = true;
    out->text = in.Here();
    out->textLen = static_cast<UINT>(textLen);
    in.Skip(out->textLen);
    std::size_t charBytes = in.Left();
    if (form == ProjectForm::Block) {
        int stored;
        if (!in.Int(&stored) || stored < 0 || static_cast<std::size_t>(stored) > in.Left()) return kProjectScanDamaged;
        charBytes = static_cast<std::size_t>(stored);
    }
    if (!RecordBytesAreSound(charBytes)) return kProjectScanDamaged;
    out->chars = in.Here();
    out->charBytes = static_cast<UINT>(charBytes);
    return kProjectScanOk;
}

std::vector<BYTE> FormatProject(const ProjectContents& contents) {
    std::size_t size = kProjectHeaderBytes;
    for (const ProjectRegionRecord& rec : contents.records)
        size += kProjectRecordBytes + ((rec.flags & kRegionTable) ? 4 : 0) +
                (!rec.cellsPerRow.empty() ? 4 + 4 * rec.cellsPerRow.size() + kProjectCellBytes * rec.cells.size() : 0);
    if (contents.hasText) size += 4 + std::size_t{contents.textLen} + contents.charBytes;
    std::vector<BYTE> out;
    out.reserve(size);
    PutBytes(out, kProjectMagic, kProjectMagicBytes);
    PutBytes(out, contents.tag, kProjectTagBytes);
    PutFileRect(out, contents.page);
    PutInt(out, static_cast<std::int32_t>(contents.records.size()));
    for (const ProjectRegionRecord& rec : contents.records) {
        PutFileRect(out, rec.rect);
        PutInt(out, rec.lines);
        PutInt(out, rec.flags);
        if (!(rec.flags & kRegionTable)) continue;
        PutInt(out, static_cast<std::int32_t>(rec.cellsPerRow.size()));
        if (rec.cellsPerRow.empty()) continue;
        PutInt(out, rec.gridColumns);
        for (int count : rec.cellsPerRow) PutInt(out, count);
        PutBytes(out, rec.cells.data(), rec.cells.size() * kProjectCellBytes);
    }
    if (contents.hasText) {
        PutInt(out, static_cast<std::int32_t>(contents.textLen));
        PutBytes(out, contents.text, contents.textLen);
        PutBytes(out, contents.chars, contents.charBytes);
    }
    return out;
}

std::vector<ProjectRegionRecord> CollectProjectRecords(const CPageRegion& page) {
    std::vector<ProjectRegionRecord> records;
    records.reserve(static_cast<std::size_t>(page.GetChildCount()) + 1);
    for (int i = 0; i < page.GetChildCount(); ++i) {
        const CLayoutRegion* region = page.GetChild(i);
        ProjectRegionRecord rec;
        rec.rect = region->Rect();
        rec.lines = region->m_nLines;
        rec.flags = region->m_nFlags;
        const auto* table = dynamic_cast<const CTableRegion*>(region);
        if ((rec.flags & kRegionTable) && table && GridIsWhole(table->m_pGrid)) {
            const TableGrid& grid = *table->m_pGrid;
            rec.gridColumns = grid.nColumns;
            rec.cellsPerRow.assign(grid.pCellsPerRow, grid.pCellsPerRow + grid.nRows);
            for (int r = 0; r < grid.nRows; ++r)
                rec.cells.insert(rec.cells.end(), grid.ppRows[r], grid.ppRows[r] + grid.pCellsPerRow[r]);
        }
        records.push_back(std::move(rec));
    }
    if (page.m_pSealRect) {
        ProjectRegionRecord seal;
        seal.rect = *page.m_pSealRect;
        seal.flags = kRegionSealRecord;
        records.push_back(std::move(seal));
    }
    return records;
}

bool ProjectPageFitsImage(const RECT& page, int width, int height) {
    return page.left >= 0 && page.top >= 0 && page.left <= page.right && page.top <= page.bottom &&
           page.right <= width && page.bottom <= height;
}

int ApplyProjectRecords(const ProjectContents& contents, CPageRegion& page, CPageImage* image) {
    page.SetRect(contents.page);
    for (const ProjectRegionRecord& rec : contents.records) {
        const RECT& r = rec.rect;
        if (r.left > r.right || r.top > r.bottom || !page.ContainsRect(r)) continue;
        if (rec.flags & kRegionSealRecord) {
            page.SetSealRect(&r);
            continue;
        }
        if (rec.lines < 0 || rec.lines > kMaxRegionLines) continue;
        CLayoutRegion* added = page.AddRegionEx(r, rec.flags, rec.lines);
        auto* table = dynamic_cast<CTableRegion*>(added);
        if (!table || !(rec.flags & kRegionTable) || rec.cellsPerRow.empty() || !GridCellsFitTable(rec, r)) continue;
        if (TableGrid* grid = GridOfRecord(rec)) table->AttachGrid(image, grid);
    }
    return static_cast<int>(contents.records.size());
}

int ReadProjectBody(HANDLE file, HGLOBAL block, HANDLE stopEvent, DWORD length) {
    const auto stopped = [stopEvent] { return stopEvent && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0; };
    if (stopped()) return kProjectBodyStopped;
    const std::size_t blockSize = block ? GlobalSize(block) : 0;
    auto* base = block ? static_cast<BYTE*>(GlobalLock(block)) : nullptr;
    if (!base) return kProjectBodyRead;
    std::memset(base, 0, blockSize);

    bool sound = length >= kProjectHeaderBytes && length <= kProjectMaxFileBytes &&
                 blockSize >= std::size_t{length} + kProjectBlockExtra &&
                 SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0;
    DWORD done = 0;
    while (sound && done < length) {
        if (stopped()) {
            GlobalUnlock(block);
            return kProjectBodyStopped;
        }
        DWORD got = 0;
        if (!ReadFile(file, base + done, std::min(kReadChunkBytes, length - done), &got, nullptr) || got == 0)
            sound = false;
        done += got;
    }
    ProjectContents contents;
    if (sound && ScanProject(base, length, ProjectForm::File, &contents) == kProjectScanOk) {
        // The records move up to make room for their length behind the text;
        // without text the zeros after the regions read as T = 0.
        if (contents.hasText) {
            const std::size_t at = static_cast<std::size_t>(contents.chars - base);
            std::memmove(base + at + 4, base + at, contents.charBytes);
            const std::int32_t charBytes = static_cast<std::int32_t>(contents.charBytes);
            std::memcpy(base + at, &charBytes, 4);
        }
    } else {
        // Damaged: only the source tag is kept, so that a page that came from
        // its .BKI file is still known as edited; the missing magic tells the
        // document that the project data is unusable.
        BYTE tag[kProjectTagBytes] = {};
        if (done >= kProjectMagicBytes + kProjectTagBytes) std::memcpy(tag, base + kProjectMagicBytes, sizeof tag);
        std::memset(base, 0, blockSize);
        if (blockSize >= kProjectMagicBytes + kProjectTagBytes) std::memcpy(base + kProjectMagicBytes, tag, sizeof tag);
    }
    GlobalUnlock(block);
    return stopped() ? kProjectBodyStopped : kProjectBodyRead;
}

// --- The document's side --------------------------------------------------------

namespace {

void ShowProjectMessage(const std::string& text) { DocumentHost().MessageBox(text, "", MB_OK | MB_ICONEXCLAMATION); }

// The project on disk says that the page lives in its .BKI file, and the
// file is there: a page written there before and not edited since.
bool PageLivesInEditedFile(const std::string& projectPath, const std::string& editedPath) {
    if (GetFileAttributesA(editedPath.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    HANDLE file = CreateFileA(projectPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BYTE head[kProjectMagicBytes + kProjectTagBytes] = {};
    DWORD got = 0;
    const bool read = ReadFile(file, head, sizeof head, &got, nullptr) && got == sizeof head;
    CloseHandle(file);
    return read && std::memcmp(head, kProjectMagic, kProjectMagicBytes) == 0 &&
           std::memcmp(head + kProjectMagicBytes, kProjectEditedTag, kProjectTagBytes) == 0;
}

// A project that cannot be used is reported as an old or foreign one.
void ShowProjectUnusable() {
    CString text;
    text.LoadString(IDS_OLD_PROJECT_FILE);
    ShowProjectMessage(text.GetString());
}

}  // namespace

const char* const kMsgProjectCreateError = "File PST create error!";
const char* const kMsgProjectNotForImage = "Post is not for this file.";

COcrPage::ProjectWrite COcrPage::WriteProjectFilesAt(const std::string& path) {
    ProjectWrite written;
    const std::string projectPath = path + kProjectSuffix;
    ProjectContents contents;
    const std::size_t tagFrom = path.size() >= kProjectTagBytes ? path.size() - kProjectTagBytes : 0;
    path.copy(contents.tag, kProjectTagBytes, tagFrom);
    // An edited page goes to its .BKI file; only a page that is really there
    // may be named by the tag, else the next load would drop the project.
    // A page saved there by an earlier write stays there.
    const std::string editedPath = path + kEditedPageSuffix;
    bool edited = false;
    if (IsPageEdited()) {
        CImageMessageCatcher quiet;  // the caller says what failed
        written.image = WriteImageFile(editedPath.c_str(), FALSE) != FALSE;
        edited = written.image;
    } else {
        edited = PageLivesInEditedFile(projectPath, editedPath);
    }
    if (edited) std::memcpy(contents.tag, kProjectEditedTag, kProjectTagBytes);
    if (m_pPageRegion) {
        contents.page = m_pPageRegion->Rect();
        contents.records = CollectProjectRecords(*m_pPageRegion);
    } else {
        contents.page = CPageRegion::WholePage(m_pImage->m_nWidth, m_pImage->m_nHeight);
    }
    if (m_bHasResult) {
        const std::string plain = PlainText(0, m_nTextLen);
        written.text = SuiteWriteFileAtomically(ResultTextPath(path).c_str(), plain.data(), plain.size()) != FALSE;
        contents.hasText = true;
        contents.text = m_pText;
        contents.textLen = m_nTextLen;
        contents.chars = reinterpret_cast<const BYTE*>(m_pChars);
        contents.charBytes = m_nCharBytes;
    }
    const std::vector<BYTE> bytes = FormatProject(contents);
    written.project =
        bytes.size() <= kProjectMaxFileBytes && SuiteWriteFileAtomically(projectPath.c_str(), bytes.data(), bytes.size());
    return written;
}

std::string COcrPage::KeepWorkInDataFolder(const std::string& path) {
    const std::string folder = DocumentHost().DataFolder() + "\\KEPT\\";
    if (DocumentHost().DataFolder().empty() || !CreateFolderPath(folder.c_str())) return {};
    const PathParts parts = SplitPath(path);
    // A free name: an earlier page of the same name keeps its files.
    std::string copy = folder + parts.stem + parts.ext;
    for (int n = 2; PathFileExistsA(copy.c_str()) && n < 1000; ++n)
        copy = folder + parts.stem + "_" + std::to_string(n) + parts.ext;
    if (!CopyFileA(path.c_str(), copy.c_str(), TRUE)) return {};
    const ProjectWrite written = WriteProjectFilesAt(copy);
    if (!written.project || !written.text || !written.image) return {};
    return copy;
}

BOOL COcrPage::WriteProjectFile() {
    if (!IsPageEdited() && !m_bLayoutDirty && !CRecoResult::m_bModified) return TRUE;
    const std::string path = PagePath();
    if (path.empty()) return FALSE;  // no image file, so no place beside it
    const std::string projectPath = path + kProjectSuffix;
    if (!m_pImage) {
        DeleteFileA(projectPath.c_str());
        return TRUE;
    }
    const ProjectWrite written = WriteProjectFilesAt(path);
    if (written.project && written.text && written.image) {
        m_bLayoutDirty = 0;
        CRecoResult::m_bModified = 0;
        SetPageEdited(FALSE);
        return TRUE;
    }
    // Nothing of the proofreading may be lost with a folder that cannot be
    // written: the page and its files are kept in the data folder, and the
    // user is told where (a run on a worker thread names the page itself).
    if (!CImageMessageCatcher::Catch(kMsgProjectCreateError)) {
        const std::string kept = KeepWorkInDataFolder(path);
        DocumentHost().MessageBox(DocStringWithPaths(kept.empty() ? IDS_WORK_NOT_SAVED : IDS_WORK_KEPT, path, kept), "",
                                   MB_OK | MB_ICONEXCLAMATION);
        if (!kept.empty()) {
            // Kept: the work is safe, and the page's own folder is not tried again.
            m_bLayoutDirty = 0;
            CRecoResult::m_bModified = 0;
            SetPageEdited(FALSE);
            return TRUE;
        }
    }
    // What is on disk now is clean; what could not be written stays dirty so
    // that the next write tries again.
    if (written.project) m_bLayoutDirty = 0;
    if (written.project && written.text) CRecoResult::m_bModified = 0;
    if (written.image) SetPageEdited(FALSE);
    return FALSE;
}

ProjectBlockOutcome COcrPage::ReadProjectBlock(HGLOBAL block, ProjectUse use) {
    const auto* data = block ? static_cast<const BYTE*>(GlobalLock(block)) : nullptr;
    if (!data) return ProjectBlockOutcome::kTaken;
    const std::size_t size = GlobalSize(block);
    ProjectContents contents;
    const ProjectScanResult scan = ScanProject(data, size, ProjectForm::Block, &contents);
    // The tag tells where the page came from, even when the rest is unusable.
    SetPageEdited(size >= kProjectMagicBytes + kProjectTagBytes &&
                  std::memcmp(data + kProjectMagicBytes, kProjectEditedTag, kProjectTagBytes) == 0);
    const bool loadText = use == ProjectUse::kTextAndLayout && contents.hasText && contents.textLen > 0;
    ProjectBlockOutcome outcome = ProjectBlockOutcome::kTaken;
    if (use == ProjectUse::kNothing) {
        // Nothing stored is used.
    } else if (scan != kProjectScanOk) {
        outcome = ProjectBlockOutcome::kUnusable;
    } else if (!m_pImage || !m_pPageRegion ||
               !ProjectPageFitsImage(contents.page, m_pImage->m_nWidth, m_pImage->m_nHeight)) {
        outcome = ProjectBlockOutcome::kNotForImage;
    } else if (loadText && !LoadSaved(1, contents.text, contents.textLen, contents.chars, contents.charBytes)) {
        // Text and records that do not belong together: nothing of the project is used.
        Reset();
        outcome = ProjectBlockOutcome::kTextMismatch;
    } else {
        if (!loadText) Reset();
        if (ApplyProjectRecords(contents, *m_pPageRegion, m_pImage) > 0) m_bHasLayout = 1;
    }
    GlobalUnlock(block);
    return outcome;
}

void COcrDoc::ParseProject(HGLOBAL block) {
    // A batch run's option decides the text on its own pages; an open page
    // meanwhile keeps only the layout.
    switch (ReadProjectBlock(block, DocumentHost().BatchMode() == 0 ? ProjectUse::kTextAndLayout
                                                                     : ProjectUse::kLayoutOnly)) {
    case ProjectBlockOutcome::kUnusable:
    case ProjectBlockOutcome::kTextMismatch: ShowProjectUnusable(); break;
    case ProjectBlockOutcome::kNotForImage: ShowProjectMessage(kMsgProjectNotForImage); break;
    case ProjectBlockOutcome::kTaken: break;
    }
    RefreshTextView();
}
