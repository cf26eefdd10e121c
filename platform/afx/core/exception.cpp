#include "platform/afx/core/exception.h"

#include "platform/win/errors.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

AfxReportErrorHook g_reportHook = nullptr;

// The block CException::operator new handed out last on this thread, until
// the exception constructed in it has claimed it.
thread_local const void* t_newException = nullptr;

bool ClaimNewBlock(const void* self) {
    if (self != t_newException) return false;
    t_newException = nullptr;
    return true;
}

BOOL CopyMessage(const CString& text, LPTSTR buffer, UINT maxChars) {
    if (!buffer || maxChars == 0) return FALSE;
    size_t n = std::min(static_cast<size_t>(text.GetLength()), static_cast<size_t>(maxChars - 1));
    // Do not cut a double-byte character in half.
    size_t cut = 0;
    for (size_t i = 0; i < n;) {
        size_t len = static_cast<size_t>(AfxCharLength(static_cast<LPCTSTR>(text) + i));
        if (i + len > n) break;
        i += len;
        cut = i;
    }
    std::memcpy(buffer, static_cast<LPCTSTR>(text), cut);
    buffer[cut] = '\0';
    return TRUE;
}

}  // namespace

void* CException::operator new(size_t size) {
    void* block = ::operator new(size);
    t_newException = block;
    return block;
}

void CException::operator delete(void* block) { ::operator delete(block); }

CException::CException() : m_bAutoDelete(ClaimNewBlock(this)) {}

CException::CException(const CException& other) : CObject(other), m_bAutoDelete(ClaimNewBlock(this)) {}

CException& CException::operator=(const CException& other) {
    CObject::operator=(other);
    return *this;
}

void CException::Delete() {
    if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) {
    if (helpContext) *helpContext = 0;
    if (buffer && maxChars) buffer[0] = '\0';
    return FALSE;
}

int CException::ReportError(UINT type, UINT messageId) {
    char text[512];
    CString message;
    if (GetErrorMessage(text, sizeof text)) {
        message = text;
    } else if (messageId == 0 || !message.LoadString(messageId)) {
        message = "An unsupported operation was attempted.";
    }
    if (g_reportHook) return g_reportHook(message, type);
    std::fprintf(stderr, "%s\n", static_cast<LPCTSTR>(message));
    return 1;  // IDOK
}

void AfxSetReportErrorHook(AfxReportErrorHook hook) { g_reportHook = hook; }

BOOL CMemoryException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) {
    if (helpContext) *helpContext = 0;
    return CopyMessage("Out of memory.", buffer, maxChars);
}

BOOL CNotSupportedException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) {
    if (helpContext) *helpContext = 0;
    return CopyMessage("An unsupported operation was attempted.", buffer, maxChars);
}

BOOL CResourceException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) {
    if (helpContext) *helpContext = 0;
    return CopyMessage("A window or other user-interface resource could not be created.", buffer, maxChars);
}

CFileException::CFileException(int cause, LONG osError, LPCTSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

BOOL CFileException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) {
    if (helpContext) *helpContext = 0;
    static const char* const kCauses[] = {
        "No error occurred",
        "An unexpected error occurred while accessing",
        "was not found",
        "contains an invalid path",
        "could not be opened because there are too many open files",
        "Access to the file was denied",
        "An invalid file handle was associated with",
        "could not be removed because it is the current directory",
        "could not be created because the directory is full",
        "Seek failed on",
        "A hardware I/O error was reported while accessing",
        "A sharing violation occurred while accessing",
        "A locking violation occurred while accessing",
        "Disk full while accessing",
        "An attempt was made to access past the end of",
    };
    int cause = (m_cause >= 0 && m_cause <= endOfFile) ? m_cause : generic;
    CString name = m_strFileName.IsEmpty() ? CString("an unnamed file") : m_strFileName;
    CString text;
    if (cause == fileNotFound || cause == badPath || cause == tooManyOpenFiles || cause == removeCurrentDir ||
        cause == directoryFull) {
        text.Format("%s %s.", static_cast<LPCTSTR>(name), kCauses[cause]);
    } else if (cause == accessDenied) {
        text.Format("Access to %s was denied.", static_cast<LPCTSTR>(name));
    } else if (cause == none) {
        text = "No error occurred.";
    } else {
        text.Format("%s %s.", kCauses[cause], static_cast<LPCTSTR>(name));
    }
    return CopyMessage(text, buffer, maxChars);
}

int CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    default: return generic;
    }
}

void CFileException::ThrowOsError(LONG osError, LPCTSTR fileName) {
    AfxThrowFileException(OsErrorToException(osError), osError, fileName);
}


CArchiveException::CArchiveException(int cause, LPCTSTR fileName) : m_cause(cause), m_strFileName(fileName) {}

BOOL CArchiveException::GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext) {
    if (helpContext) *helpContext = 0;
    static const char* const kCauses[] = {
        "No error occurred", "An unexpected error occurred while reading", "Tried to write to a read-only archive",
        "Unexpected end of file while reading", "Tried to read from a write-only archive",
        "The file has an invalid format", "The file contains an unexpected object", "The file has a version this program cannot read",
    };
    int cause = (m_cause >= 0 && m_cause <= badSchema) ? m_cause : generic;
    CString text;
    if (m_strFileName.IsEmpty()) {
        text.Format("%s.", kCauses[cause]);
    } else {
        text.Format("%s: %s.", kCauses[cause], static_cast<LPCTSTR>(m_strFileName));
    }
    return CopyMessage(text, buffer, maxChars);
}

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowResourceException() { throw new CResourceException; }
void AfxThrowFileException(int cause, LONG osError, LPCTSTR fileName) {
    throw new CFileException(cause, osError, fileName);
}
void AfxThrowArchiveException(int cause, LPCTSTR fileName) { throw new CArchiveException(cause, fileName); }
