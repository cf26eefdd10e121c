// Framework exceptions. They are thrown as pointers to heap objects (as the
// framework's callers expect: `catch (CFileException* e) { ...; e->Delete(); }`)
// with C++ exceptions underneath; TRY/CATCH/END_CATCH spell the same thing.
#pragma once

#include <cstddef>

#include "platform/afx/core/object.h"
#include "platform/afx/core/cstring.h"

class AFX_CORE_API CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    // An exception knows whether it was made with new: only those free
    // themselves in Delete. A copy or an assignment does not change that.
    CException();
    CException(const CException& other);
    CException& operator=(const CException& other);
    static void* operator new(size_t size);
    static void operator delete(void* block);
    // Frees a heap exception; one made on the stack is left alone.
    void Delete();
    // Writes a message describing the error, truncated to `maxChars` bytes
    // including the NUL; FALSE when there is nothing to say.
    virtual BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr);
    // Shows the error through the report hook (a message box once the user
    // interface is up; stderr before that). Returns the hook's result.
    virtual int ReportError(UINT type = 0x30 /* MB_ICONEXCLAMATION */, UINT messageId = 0);

    bool m_bAutoDelete;  // false for exceptions not made with new
};

// The user-interface library installs a hook that shows exception messages.
using AfxReportErrorHook = int (*)(LPCTSTR message, UINT type);
AFX_CORE_API void AfxSetReportErrorHook(AfxReportErrorHook hook);

class AFX_CORE_API CMemoryException : public CException {
    DECLARE_DYNAMIC(CMemoryException)
public:
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) override;
};

class AFX_CORE_API CNotSupportedException : public CException {
    DECLARE_DYNAMIC(CNotSupportedException)
public:
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) override;
};

// A window, bar or other user-interface resource could not be made.
class AFX_CORE_API CResourceException : public CException {
    DECLARE_DYNAMIC(CResourceException)
public:
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) override;
};

class AFX_CORE_API CFileException : public CException {
    DECLARE_DYNAMIC(CFileException)
public:
    enum {
        none,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };
    explicit CFileException(int cause = none, LONG osError = -1, LPCTSTR fileName = nullptr);
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) override;
    // The cause that matches a last-error code of the file calls.
    static int OsErrorToException(LONG osError);
    [[noreturn]] static void ThrowOsError(LONG osError, LPCTSTR fileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

class AFX_CORE_API CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum { none, generic, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
    explicit CArchiveException(int cause = none, LPCTSTR fileName = nullptr);
    BOOL GetErrorMessage(LPTSTR buffer, UINT maxChars, PUINT helpContext = nullptr) override;
    int m_cause;
    CString m_strFileName;
};

[[noreturn]] AFX_CORE_API void AfxThrowMemoryException();
[[noreturn]] AFX_CORE_API void AfxThrowNotSupportedException();
[[noreturn]] AFX_CORE_API void AfxThrowResourceException();
[[noreturn]] AFX_CORE_API void AfxThrowFileException(int cause, LONG osError = -1, LPCTSTR fileName = nullptr);
[[noreturn]] AFX_CORE_API void AfxThrowArchiveException(int cause, LPCTSTR fileName = nullptr);

#define TRY try
#define CATCH(class_name, e) catch (class_name * e)
#define AND_CATCH(class_name, e) catch (class_name * e)
#define END_CATCH
#define CATCH_ALL(e) catch (CException * e)
#define AND_CATCH_ALL(e) catch (CException * e)
#define END_CATCH_ALL
#define THROW(e) throw e
#define THROW_LAST() throw
