// Files and folders by Windows-style names. Every name goes through the path
// layer (path.h): both separators, drives, case-insensitive lookup of parts
// that do not exist as spelled. Failures set the last error as the original
// does (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
// ERROR_ALREADY_EXISTS, ERROR_FILE_EXISTS, ERROR_DIR_NOT_EMPTY, ...).
// Names handed back (module and current folders, temporary names, found
// names) are Windows-style ANSI text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/errors.h"
#include "platform/win/handles.h"
#include "platform/win/time.h"
#include "platform/win/types.h"

using LPLONG = LONG*;
using PLONG = LONG*;

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};
using PULARGE_INTEGER = ULARGE_INTEGER*;
using PLARGE_INTEGER = LARGE_INTEGER*;

// Accepted for the calls' shape; every call here completes before returning.
struct OVERLAPPED {
    std::uintptr_t Internal;
    std::uintptr_t InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u

#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu

#define FILE_TYPE_UNKNOWN 0x0000u
#define FILE_TYPE_DISK 0x0001u
#define FILE_TYPE_CHAR 0x0002u
#define FILE_TYPE_PIPE 0x0003u

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;
using WIN32_FIND_DATA = WIN32_FIND_DATAA;
using LPWIN32_FIND_DATA = WIN32_FIND_DATAA*;

// Opens or creates a file. Sharing modes are accepted but not enforced.
// CREATE_ALWAYS and OPEN_ALWAYS on an existing file succeed with the last
// error ERROR_ALREADY_EXISTS (else 0). A folder opens only with
// FILE_FLAG_BACKUP_SEMANTICS. Returns INVALID_HANDLE_VALUE on failure.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, OVERLAPPED* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, OVERLAPPED* overlapped);
// Moves the file pointer; returns its new low 32 bits (high ones into *high
// when given). A negative result position fails with ERROR_NEGATIVE_SEEK.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);
BOOL SetEndOfFile(HANDLE file);
BOOL FlushFileBuffers(HANDLE file);
DWORD GetFileType(HANDLE file);
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);

// Attributes: DIRECTORY, READONLY (no write permission for the owner), HIDDEN
// (a name starting with '.'), ARCHIVE for other files. Setting READONLY clears
// the write permissions, clearing it gives the owner write permission back;
// other attributes are accepted and not kept.
DWORD GetFileAttributesA(LPCSTR name);
BOOL SetFileAttributesA(LPCSTR name, DWORD attributes);

BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryA(LPCSTR name);
// Refuses folders and read-only files with ERROR_ACCESS_DENIED, as the original.
BOOL DeleteFileA(LPCSTR name);
// Fails with ERROR_ALREADY_EXISTS when the new name exists (but for a change of
// case of the same file); moves files across file systems by copying.
BOOL MoveFileA(LPCSTR existing, LPCSTR newName);
BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);
// Copies contents, permissions and modification time. The copy is written to
// a temporary file beside the target and renamed into place, so a failed copy
// leaves no half-written file. With `failIfExists`, an existing target fails
// the call with ERROR_FILE_EXISTS.
BOOL CopyFileA(LPCSTR existing, LPCSTR newName, BOOL failIfExists);

// Searches a folder with a pattern ('*' any run, '?' one character, matched
// case-insensitively; "*.*" matches every name, also those without a dot).
// The entries are taken at the first call and handed back in byte order of
// their names, "." and ".." first in any folder but the root.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE search);

// The temporary folder with a trailing backslash; the length, or the size
// needed (with the NUL) when `size` is too small.
DWORD GetTempPathA(DWORD size, LPSTR buffer);
// Writes "<path>\<up to 3 prefix chars><4 hex digits>.TMP" into `name`
// (MAX_PATH bytes). With `unique` 0 the file is created (exclusively, so two
// callers never get one name) and the number used is returned; otherwise the
// name is only formed. 0 on failure.
UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR name);

// The program's path (module null or the program's handle) or a loaded
// library's. Truncates to size - 1 bytes with ERROR_INSUFFICIENT_BUFFER and
// returns `size` when it does not fit; 0 for a bad module.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR name);
// The full Windows-style path of `name`; *filePart (when given) points at its
// last part in `buffer`, or is null when it ends with a separator.
DWORD GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart);
// The short form of an existing file's or folder's path, as handed to other
// programs on their command lines. These file systems keep no second, shorter
// name: it is the native path of the file, each part spelled as on disk, so
// that any program can open it as it stands. The length (no NUL), or the size
// needed (with the NUL) when `size` is too small; 0 with ERROR_FILE_NOT_FOUND
// when nothing is there.
DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size);
BOOL PathFileExistsA(LPCSTR name);
BOOL PathIsDirectoryA(LPCSTR name);
BOOL GetDiskFreeSpaceExA(LPCSTR folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree);

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard, GetFileExMaxInfoLevel };
struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};
BOOL GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID information);

// The shell's file operations, without any dialog: every confirmation is
// taken as "yes" (so copies and moves replace existing files) and deletion is
// final (there is no wastebasket). `pFrom` (and `pTo`) are lists of names,
// each ended by a NUL, the list by a second NUL; a name's last part may hold
// wildcards. Folders are copied, moved and deleted with their contents.
#define FO_MOVE 0x0001u
#define FO_COPY 0x0002u
#define FO_DELETE 0x0003u
#define FO_RENAME 0x0004u
#define FOF_MULTIDESTFILES 0x0001u
#define FOF_CONFIRMMOUSE 0x0002u
#define FOF_SILENT 0x0004u
#define FOF_RENAMEONCOLLISION 0x0008u
#define FOF_NOCONFIRMATION 0x0010u
#define FOF_ALLOWUNDO 0x0040u
#define FOF_FILESONLY 0x0080u
#define FOF_SIMPLEPROGRESS 0x0100u
#define FOF_NOCONFIRMMKDIR 0x0200u
#define FOF_NOERRORUI 0x0400u
using FILEOP_FLAGS = WORD;
struct SHFILEOPSTRUCTA {
    HWND hwnd;
    UINT wFunc;
    LPCSTR pFrom;
    LPCSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCSTR lpszProgressTitle;
};
using LPSHFILEOPSTRUCTA = SHFILEOPSTRUCTA*;
// 0 when every name was dealt with, else the last error of the first failure
// (ERROR_FILE_NOT_FOUND for a name without wildcards that does not exist).
int SHFileOperationA(LPSHFILEOPSTRUCTA operation);

namespace suite {

// Whether a file, not a folder, stands at the Windows-style `path`
// (PathFileExistsA answers for either, PathIsDirectoryA for a folder).
bool FileExists(const std::string& path);

// The last error matching an errno value of a file call on `nativePath`
// (ENOENT becomes ERROR_PATH_NOT_FOUND when the folder above is missing too).
DWORD FileErrorFromErrno(int error, const std::string& nativePath = {});
// The descriptor behind a file handle of CreateFileA, -1 for any other handle.
int FileDescriptorOf(HANDLE file);
// The program's own native path and folder.
std::string ProgramPath();
std::string ProgramFolder();
// Whether a Windows-style pattern matches an ANSI name, as FindFirstFile matches.
bool MatchesWildcard(std::string_view pattern, std::string_view name);
// Reads or writes a whole file by native path; writing goes through a
// temporary file and a rename, so readers never see a half-written file.
bool ReadNativeFile(const std::string& nativePath, std::string& contents);
bool WriteNativeFileAtomic(const std::string& nativePath, std::string_view contents);

}  // namespace suite
