// Writing a whole file so that readers see either the old file or the whole
// new one: the bytes go to a new temporary file in the same folder, are flushed
// to disk, and the temporary file is then renamed over the target.
#pragma once

#include "platform/win/types.h"

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

namespace suite {

// A file being written under a temporary name beside its target (a path of
// the system's own form). Commit gives it the target's name; without a commit
// the temporary file is removed when the object goes.
class AtomicFile {
public:
    explicit AtomicFile(const char* path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The temporary file as a stream; nullptr when it could not be made.
    std::FILE* Stream() const { return m_file; }
    const std::string& NativeTempPath() const { return m_temp; }
    // False once any write has failed; GetLastError then tells why.
    bool Write(const void* data, std::size_t size);
    // Marks the contents as bad (a writer's own failure): Commit will refuse.
    // `error` is the errno of the failed step, when there was one; Commit then
    // reports it (a full disk as ERROR_DISK_FULL).
    void Fail(int error = 0);
    // Closes the stream (if still open), flushes the file to disk and renames
    // it over the target. False, with the old file untouched, on any error;
    // GetLastError then tells why.
    bool Commit();
    // Closes the stream without committing, for writers that reopen the
    // temporary file by its path.
    void CloseStream();

private:
    std::string m_final, m_temp;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    int m_error = 0;  // errno of the first failed step
};

}  // namespace suite

// Writes `size` bytes to `path` (Windows-style, ANSI). FALSE, with the old file
// untouched and no temporary file left, when any step fails; GetLastError then
// tells why.
BOOL SuiteWriteFileAtomically(const char* path, const void* data, std::size_t size);

// The same for a file that a writer produces itself: `write` gets the native
// path of the temporary file, and the rename happens only when it returns true.
BOOL SuiteReplaceFileAtomically(const char* path, const std::function<bool(const std::string& nativeTempPath)>& write);
