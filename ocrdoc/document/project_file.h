// The project file beside each page image (the image path + ".PST"): the page
// rectangle, the layout regions with their line counts and table grids, the
// seal rectangle, the recognised text and its per-character records.
//
// File layout, all integers 32-bit little-endian signed, nothing padded:
//   0   5  "PST10"
//   5   3  source tag: "BKI" when the edited page lives in the image path +
//          ".BKI", else the last 3 characters of the image path
//   8  16  page left, right, top, bottom
//   24  4  N, the number of region records (the seal record included)
//   28     N records of 24 bytes: left, right, top, bottom, line count, flags;
//          a record with flags & 8 is followed by its table part: R (0: no
//          grid, nothing more), and for R > 0 the grid's second count, R cell
//          counts and the 72-byte cells of every row; the seal record has
//          flags 0x20 and no table part
//   ...  4  T, the text length (present only when the page has a result)
//   ...  T  the text in the result store's internal form
//   ...     the 43-byte character records, up to the end of the file
//
// In memory (the block the load thread hands to the document) the layout is
// the same up to the end of the text; then come the 4-byte length of the
// records and the records. A file without text has T = 0 there.
#pragma once

#include <cstddef>
#include <vector>

#include "outside/include/fremlin.h"
#include "platform/win/types.h"

class CPageImage;
class CPageRegion;

// The header: magic, tag, page rectangle and record count. A shorter file is
// no project.
constexpr DWORD kProjectHeaderBytes = 28;
constexpr char kProjectMagic[] = "PST10";  // 5 bytes on file, no terminator
constexpr DWORD kProjectMagicBytes = 5;
constexpr DWORD kProjectTagBytes = 3;
constexpr char kProjectEditedTag[] = "BKI";  // the page lives in the .BKI file
constexpr DWORD kProjectRecordBytes = 24;
constexpr DWORD kProjectCellBytes = 72;
// The block handed to the document is the file length + this many bytes.
constexpr DWORD kProjectBlockExtra = 8;
// No project of a page comes near this; larger files are refused unread.
constexpr DWORD kProjectMaxFileBytes = 64u << 20;
// Region records of one file and rows and cells of one grid.
constexpr int kProjectMaxRecords = 65535;
constexpr int kProjectMaxGridRows = 65535;
constexpr int kProjectMaxGridCells = 65535;

// Companions of an image path.
constexpr char kProjectSuffix[] = ".PST";
constexpr char kEditedPageSuffix[] = ".BKI";

// Messages of the project file.
extern const char* const kMsgProjectCreateError;  // "File PST create error!"
extern const char* const kMsgProjectNotForImage;  // "Post is not for this file."

// Results of ReadProjectBody.
constexpr int kProjectBodyStopped = 0;
constexpr int kProjectBodyRead = 1;

// Reads the open project file of `length` bytes into `block` (zero-filled, at
// least length + kProjectBlockExtra bytes) in the memory layout above.
// Polls `stopEvent` (NULL: never set) between reads and returns
// kProjectBodyStopped when it is set. Every count of the file is checked
// against the file's length; a short, damaged or oversized file still gives
// kProjectBodyRead, with a block that carries no magic, which the document
// takes as "no project data".
int ReadProjectBody(HANDLE file, HGLOBAL block, HANDLE stopEvent, DWORD length);

// --- The format itself, apart from the document --------------------------------

// One region record, rectangles in memory order (left, top, right, bottom).
struct ProjectRegionRecord {
    RECT rect{};
    int lines = 0;
    int flags = 0;
    // The table part (flags & 8): one cell count per grid row, none when the
    // table has no grid.
    int gridColumns = 0;  // the grid's second count, kept as it is
    std::vector<int> cellsPerRow;
    std::vector<TableCell> cells;  // row 0's cells, then row 1's, ...
};

struct ProjectContents {
    char tag[kProjectTagBytes]{};
    RECT page{};
    std::vector<ProjectRegionRecord> records;  // file order, the seal record included
    // The result; text and records point into the bytes scanned or, for the
    // writer, into the result store.
    bool hasText = false;
    const BYTE* text = nullptr;
    UINT textLen = 0;
    const BYTE* chars = nullptr;
    UINT charBytes = 0;
};

enum class ProjectForm { File, Block };

enum ProjectScanResult {
    kProjectScanOk = 0,
    kProjectScanNoProject = 1,  // shorter than the header or another magic
    kProjectScanDamaged = 2,    // a count runs past the end, or bytes are left over
};

// Checks `size` bytes of a project in file or block form and lists what they
// hold. Every count is bounded by the bytes that are left; in file form
// nothing may follow the records, whose length must be whole records.
ProjectScanResult ScanProject(const BYTE* data, std::size_t size, ProjectForm form, ProjectContents* out);

// The file bytes of `contents`.
std::vector<BYTE> FormatProject(const ProjectContents& contents);

// The records of the page's top-level regions in list order, with their
// table grids, then the seal record when the page has a seal rectangle.
std::vector<ProjectRegionRecord> CollectProjectRecords(const CPageRegion& page);

// The page rectangle of a project fits an image of this size.
bool ProjectPageFitsImage(const RECT& page, int width, int height);

// Gives `page` the rectangle, seal rectangle and regions of `contents`
// (grids attached on `image`). Records that the page cannot hold (outside
// the page, overlapping, of no kind, with an inverted rectangle or an
// impossible line count) are left out, and so is a grid whose cells do not
// lie inside their table. Returns the number of region records (seal
// included) in `contents`.
int ApplyProjectRecords(const ProjectContents& contents, CPageRegion& page, CPageImage* image);
