// Host-facing declarations of the document store library Tabellon: its one
// export DB_GetFunctionTable, the 37-slot table, the records that cross it and
// the result codes. Record layouts are fixed; they are pinned below.
#pragma once

#include <cstddef>

#include "outside/include/image_library.h"
#include "platform/win/types.h"

// Slots and callbacks use the platform's C calling convention.
#define DB_CALL

// Result codes.
#define DB_OK 0
#define DB_STOPPED 2
#define DB_NOT_FOLDER 6
#define DB_NOT_DOCUMENT 7
#define DB_ERR_CREATE_FILE (-91)
#define DB_ERR_FAILED (-92)
#define DB_ERR_VERSION (-93)
#define DB_ERR_NOT_OPEN (-94)
#define DB_ERR_NO_SPACE (-95)
#define DB_ERR_REGISTRY (-96)
#define DB_ERR_NOT_FOUND (-97)
#define DB_ERR_BAD_IMAGE (-98)
#define DB_ERR_NO_ID (-99)
#define DB_ERR_EXISTS (-100)

// Page formats of page files.
#define DB_FORMAT_BMP 0
#define DB_FORMAT_JPG 1
#define DB_FORMAT_TIF 2
#define DB_FORMAT_PNG 3

// Position argument meaning "after the last page".
#define DB_APPEND 0xFFFFFFFFu

// Seconds since 1970 (UTC), 32-bit.
using DB_TIME = std::int32_t;

struct DB_VERSION {
    WORD Major;
    WORD Minor;
    WORD Build;
    WORD Revision;
};

// A storage-folder list: Count paths of 260 characters each.
struct DB_FOLDERLIST {
    DWORD Count;
    char Paths[1][260];
};
// Bytes of a list of n folders.
constexpr std::size_t DB_FolderListSize(DWORD n) { return offsetof(DB_FOLDERLIST, Paths) + std::size_t(n ? n : 1) * 260; }

// Progress while page files move between storage folders: total and moved
// bytes, each 64-bit as two DWORDs, low first. 0 stops the moving.
using DB_MOVEPROC = int(DB_CALL*)(DWORD totalLow, DWORD totalHigh, DWORD movedLow, DWORD movedHigh);

struct DB_STORAGECONFIG {
    DWORD ThumbnailSize;
    char DefaultFolderName[260];
    char DefaultDocName[260];
    DWORD Reserved1;
    DWORD Reserved2;
    DB_MOVEPROC Progress;
    const DB_FOLDERLIST* Folders;
};

struct DB_FOLDERINFO {
    DWORD ID;
    char Name[260];
    DWORD FolderCount;
    DWORD DocCount;
    DB_TIME CreateTime;
    DB_TIME ModifiedTime;
};

struct DB_DOCINFO {
    DWORD ID;
    char Name[260];
    DWORD TotalPages;
    DB_TIME CreateTime;
    DB_TIME ModifiedTime;
};

// Target of a page export. With ExplicitName, Path is the whole target name and
// Target holds its Format and Quality; otherwise Path is the folder and stem of
// numbered names, Target.Prefix their prefix, and the last three fields apply.
struct DB_EXPORTSPEC {
    DWORD ExplicitName;
    char Path[260];
    union {
        struct {
            DWORD Format;  // 0xFFFFFFFF: copy the page file unchanged
            DWORD Quality;
        } Explicit;
        char Prefix[80];
    } Target;
    DWORD Digits;
    DWORD Format;
    DWORD Quality;
};

using DB_ENUMPROC = int(DB_CALL*)(void* record, void* user);
using DB_COPYPROC = int(DB_CALL*)(DWORD total, DWORD copied, const char* sourceName, const char* newName, void* user);
using DB_PACKAGEPROC = int(DB_CALL*)(DWORD docId, DWORD totalPages, DWORD page, void* user);
using DB_IMPORTPROC = int(DB_CALL*)(DWORD one, const char* docName, DWORD totalPages, DWORD page, void* user);
// Stage 1 before a page (file NULL, the export record to fill; nonzero stops), stage 2
// after a page was written (record NULL).
using DB_EXPORTPAGESPROC = int(DB_CALL*)(int stage, DWORD total, DWORD page, const char* file, DB_EXPORTSPEC* spec,
                                         void* user);

struct DB_FUNCTIONTABLE {
    int(DB_CALL* DB_Open)(const DB_VERSION* version, const DB_STORAGECONFIG* config, HKEY root);
    void(DB_CALL* DB_Close)();
    void(DB_CALL* DB_SetStorageFolders)(const DB_STORAGECONFIG* config, void* unused);
    int(DB_CALL* DB_EnumFolders)(DWORD parent, DWORD start, DB_ENUMPROC proc, void* user);
    int(DB_CALL* DB_EnumDocuments)(DWORD parent, DWORD start, DB_ENUMPROC proc, void* user);
    int(DB_CALL* DB_GetFolderInfo)(DB_FOLDERINFO* info);
    int(DB_CALL* DB_GetFolderSize)(DWORD id, ULONGLONG* pageBytes, ULONGLONG* thumbBytes);
    int(DB_CALL* DB_CreateFolder)(DWORD parent, DB_FOLDERINFO* info);
    int(DB_CALL* DB_DeleteFolder)(DWORD id);
    int(DB_CALL* DB_MoveFolder)(DWORD id, DWORD parent, DWORD* newId);
    int(DB_CALL* DB_RenameFolder)(DWORD id, const char* name);
    int(DB_CALL* DB_CopyFolder)(DWORD id, DWORD target, const char* name, void* unused1, void* unused2, DWORD* newId);
    int(DB_CALL* DB_GetDocumentInfo)(DB_DOCINFO* info);
    int(DB_CALL* DB_GetDocumentSize)(DWORD id, ULONGLONG* pageBytes, ULONGLONG* thumbBytes);
    int(DB_CALL* DB_CreateDocument)(DWORD parent, DB_DOCINFO* info);
    int(DB_CALL* DB_DeleteDocument)(DWORD id);
    int(DB_CALL* DB_MoveDocument)(DWORD id, DWORD folder, DWORD* newId);
    int(DB_CALL* DB_RenameDocument)(DWORD id, const char* name);
    int(DB_CALL* DB_CopyDocument)(DWORD id, DWORD folder, const char* name, DB_COPYPROC proc, void* user, DWORD* newId);
    int(DB_CALL* DB_GetParentInfo)(DWORD id, DB_FOLDERINFO* info);
    int(DB_CALL* DB_GetPageFileName)(DWORD id, DWORD page, char* pagePath, char* thumbPath);
    int(DB_CALL* DB_DeletePage)(DWORD id, DWORD page);
    int(DB_CALL* DB_GetNewPageFileName)(DWORD id, char* path, int format, DWORD size);
    int(DB_CALL* DB_AppendPageFile)(DWORD id, const char* file, DWORD* page);
    int(DB_CALL* DB_ReplacePageFile)(DWORD id, DWORD page, const char* file);
    int(DB_CALL* DB_InsertPageFile)(DWORD id, DWORD* page, const char* file);
    int(DB_CALL* DB_MovePage)(DWORD source, DWORD target, DWORD page, DWORD position);
    int(DB_CALL* DB_CopyPage)(DWORD source, DWORD target, DWORD page, DWORD position);
    int(DB_CALL* DB_ExportFolderPackage)(DWORD id, const char* package, DB_PACKAGEPROC proc, void* user);
    int(DB_CALL* DB_ExportDocumentPackage)(DWORD id, const char* package, DB_PACKAGEPROC proc, void* user);
    int(DB_CALL* DB_GetPackageInfo)(const char* package, int* kind, char* path);
    int(DB_CALL* DB_ImportPackage)(const char* package, DWORD* id, DB_IMPORTPROC proc, void* user);
    int(DB_CALL* DB_ExportPages)(DWORD id, DB_EXPORTPAGESPROC proc, void* user);
    int(DB_CALL* DB_ExportPage)(DWORD id, DWORD page, const DB_EXPORTSPEC* spec, char* out);
    int(DB_CALL* DB_AppendPageImage)(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options, DWORD* page);
    int(DB_CALL* DB_ReplacePageImage)(DWORD id, DWORD page, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options);
    int(DB_CALL* DB_InsertPageImage)(DWORD id, IL_IMAGE* image, int format, const IL_SAVEOPTIONS* options, DWORD* page);
};

static_assert(sizeof(DB_FUNCTIONTABLE) == 37 * sizeof(void*));
static_assert(offsetof(DB_FUNCTIONTABLE, DB_GetParentInfo) == 19 * sizeof(void*));
static_assert(offsetof(DB_FUNCTIONTABLE, DB_ImportPackage) == 31 * sizeof(void*));
static_assert(offsetof(DB_FUNCTIONTABLE, DB_InsertPageImage) == 36 * sizeof(void*));
static_assert(sizeof(DB_VERSION) == 8);
static_assert(offsetof(DB_STORAGECONFIG, DefaultFolderName) == 4 && offsetof(DB_STORAGECONFIG, DefaultDocName) == 264);
static_assert(offsetof(DB_STORAGECONFIG, Reserved1) == 524 && offsetof(DB_STORAGECONFIG, Reserved2) == 528);
static_assert(offsetof(DB_STORAGECONFIG, Progress) == (sizeof(void*) == 8 ? 536 : 532));
static_assert(offsetof(DB_FOLDERLIST, Paths) == 4);
static_assert(sizeof(DB_FOLDERINFO) == 280 && offsetof(DB_FOLDERINFO, FolderCount) == 264 &&
              offsetof(DB_FOLDERINFO, CreateTime) == 272 && offsetof(DB_FOLDERINFO, ModifiedTime) == 276);
static_assert(sizeof(DB_DOCINFO) == 276 && offsetof(DB_DOCINFO, TotalPages) == 264 &&
              offsetof(DB_DOCINFO, CreateTime) == 268);
static_assert(sizeof(DB_EXPORTSPEC) == 356 && offsetof(DB_EXPORTSPEC, Target) == 264 &&
              offsetof(DB_EXPORTSPEC, Digits) == 344 && offsetof(DB_EXPORTSPEC, Quality) == 352);

using DB_GETFUNCTIONTABLE = const DB_FUNCTIONTABLE*(DB_CALL*)();
extern "C" const DB_FUNCTIONTABLE* DB_CALL DB_GetFunctionTable();
