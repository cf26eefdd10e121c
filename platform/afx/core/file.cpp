#include "platform/afx/core/file.h"

#include <cstring>

#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/handles.h"
#include "platform/win/path.h"

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)
IMPLEMENT_DYNAMIC(CFileFind, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

CString LastPart(const CString& path) { return CString(suite::PathLastPart(path.str())); }

CString WithoutExtension(const CString& name) {
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(HANDLE file) : m_hFile(file) {}

CFile::CFile(LPCTSTR fileName, UINT openFlags) : m_hFile(hFileNull) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CFile::~CFile() {
    if (IsOpen() && m_bCloseOnDelete) Abort();
}

void CFile::ThrowLastError() const { CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), m_strFileName); }

BOOL CFile::Open(LPCTSTR text, UINT openFlags, CFileException* error) {
    if (IsOpen()) Abort();
    // A copy first: `text` may be this file's own name, which the assignment replaces.
    const CString name(text);
    LPCTSTR fileName = text ? static_cast<LPCTSTR>(name) : nullptr;
    m_strFileName = name;
    DWORD access = 0;
    switch (openFlags & 3u) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default:
        if (error) *error = CFileException(CFileException::generic, ERROR_INVALID_PARAMETER, fileName);
        return FALSE;
    }
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    switch (openFlags & 0x70u) {
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    default: break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (openFlags & modeCreate) disposition = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
    HANDLE h = (fileName && *fileName)
                   ? CreateFileA(fileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)
                   : INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) {
        LONG os = fileName && *fileName ? static_cast<LONG>(GetLastError()) : ERROR_INVALID_NAME;
        if (error) {
            error->m_cause = CFileException::OsErrorToException(os);
            error->m_lOsError = os;
            error->m_strFileName = fileName;
        }
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
    if (count == 0) return 0;
    DWORD got = 0;
    if (!ReadFile(m_hFile, buffer, count, &got, nullptr)) ThrowLastError();
    return got;
}

void CFile::Write(const void* buffer, UINT count) {
    if (count == 0) return;
    DWORD put = 0;
    if (!WriteFile(m_hFile, buffer, count, &put, nullptr)) ThrowLastError();
    if (put != count) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

LONG CFile::Seek(LONG offset, UINT from) {
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(m_hFile, distance, &position, from)) ThrowLastError();
    return static_cast<LONG>(position.QuadPart);
}

DWORD CFile::GetLength() const {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(m_hFile, &size)) ThrowLastError();
    return static_cast<DWORD>(size.QuadPart);
}

void CFile::SetLength(DWORD newLength) {
    DWORD keep = GetPosition();
    Seek(static_cast<LONG>(newLength), begin);
    if (!SetEndOfFile(m_hFile)) ThrowLastError();
    Seek(static_cast<LONG>(keep < newLength ? keep : newLength), begin);
}

DWORD CFile::GetPosition() const {
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT)) ThrowLastError();
    return static_cast<DWORD>(position.QuadPart);
}

void CFile::Flush() {
    if (IsOpen() && !FlushFileBuffers(m_hFile)) ThrowLastError();
}

void CFile::Close() {
    if (!IsOpen()) return;
    HANDLE h = m_hFile;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    if (!CloseHandle(h)) ThrowLastError();
}

void CFile::Abort() {
    if (!IsOpen()) return;
    CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

CString CFile::GetFileName() const { return LastPart(m_strFileName); }

CString CFile::GetFileTitle() const { return WithoutExtension(GetFileName()); }

BOOL CFile::GetStatus(CFileStatus& status) const {
    if (!IsOpen()) return FALSE;
    if (!GetStatus(m_strFileName, status)) return FALSE;
    return TRUE;
}

BOOL CFile::GetStatus(LPCTSTR fileName, CFileStatus& status) {
    status = CFileStatus{};
    if (!fileName || !*fileName) return FALSE;
    WIN32_FIND_DATAA data{};
    HANDLE search = FindFirstFileA(fileName, &data);
    if (search == INVALID_HANDLE_VALUE) return FALSE;
    FindClose(search);
    std::string full = suite::FullWindowsPath(fileName);
    std::strncpy(status.m_szFullName, full.c_str(), sizeof status.m_szFullName - 1);
    status.m_size = static_cast<LONG>(data.nFileSizeLow);
    status.m_attribute = static_cast<BYTE>(data.dwFileAttributes & 0x3Fu);
    status.m_ctime = CTime(data.ftCreationTime);
    status.m_atime = CTime(data.ftLastAccessTime);
    status.m_mtime = CTime(data.ftLastWriteTime);
    return TRUE;
}

void CFile::Rename(LPCTSTR oldName, LPCTSTR newName) {
    if (!MoveFileA(oldName, newName)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), oldName);
}

void CFile::Remove(LPCTSTR fileName) {
    if (!DeleteFileA(fileName)) CFileException::ThrowOsError(static_cast<LONG>(GetLastError()), fileName);
}

// ---------------------------------------------------------------------------

CStdioFile::CStdioFile(LPCTSTR fileName, UINT openFlags) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
    }
}

CStdioFile::~CStdioFile() {
    if (IsOpen() && m_bCloseOnDelete) {
        try {
            FlushWrites();
        } catch (CException* e) {
            e->Delete();
        }
        CFile::Abort();
    }
}

BOOL CStdioFile::Open(LPCTSTR fileName, UINT openFlags, CFileException* error) {
    if (IsOpen()) {
        // Opening again first closes the file open now, writing what is still
        // buffered for it; a failure there is this call's failure.
        const CString name(fileName);
        try {
            Close();
        } catch (CFileException* e) {
            if (error) *error = CFileException(e->m_cause, e->m_lOsError, e->m_strFileName);
            e->Delete();
            return FALSE;
        }
        return Open(fileName ? static_cast<LPCTSTR>(name) : nullptr, openFlags, error);
    }
    m_text = (openFlags & typeBinary) == 0;
    m_writable = (openFlags & 3u) != modeRead;
    DropReadAhead();
    m_writeBuffer.clear();
    return CFile::Open(fileName, openFlags & ~static_cast<UINT>(typeText | typeBinary), error);
}

void CStdioFile::DropReadAhead() {
    m_readAhead.clear();
    m_readPos = 0;
}

void CStdioFile::FlushWrites() {
    if (m_writeBuffer.empty()) return;
    std::string pending;
    pending.swap(m_writeBuffer);
    CFile::Write(pending.data(), static_cast<UINT>(pending.size()));
}

int CStdioFile::GetByte() {
    if (m_readPos >= m_readAhead.size()) {
        FlushWrites();
        m_readAhead.resize(8192);
        UINT got = CFile::Read(m_readAhead.data(), static_cast<UINT>(m_readAhead.size()));
        m_readAhead.resize(got);
        m_readPos = 0;
        if (got == 0) return -1;
    }
    return static_cast<BYTE>(m_readAhead[m_readPos++]);
}

int CStdioFile::GetChar() {
    int c = GetByte();
    if (c == '\r' && m_text) {
        int next = GetByte();
        if (next == '\n') return '\n';
        if (next >= 0) --m_readPos;  // GetByte just filled or advanced the buffer, so the byte is still there
    }
    return c;
}

UINT CStdioFile::Read(void* buffer, UINT count) {
    auto* out = static_cast<char*>(buffer);
    UINT n = 0;
    while (n < count) {
        int c = GetChar();
        if (c < 0) break;
        out[n++] = static_cast<char>(c);
    }
    return n;
}

void CStdioFile::Write(const void* buffer, UINT count) {
    // Refuse now rather than when the buffer is flushed, which may be in the
    // destructor where the failure could not be reported.
    if (!m_writable) AfxThrowFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED, m_strFileName);
    if (m_readPos < m_readAhead.size()) {
        // Put the file pointer back where the reader stands before writing.
        LONG back = -static_cast<LONG>(m_readAhead.size() - m_readPos);
        DropReadAhead();
        CFile::Seek(back, current);
    } else {
        DropReadAhead();
    }
    const char* in = static_cast<const char*>(buffer);
    for (UINT i = 0; i < count; ++i) {
        if (m_text && in[i] == '\n') m_writeBuffer += '\r';
        m_writeBuffer += in[i];
    }
    if (m_writeBuffer.size() >= 8192) FlushWrites();
}

void CStdioFile::WriteString(LPCTSTR text) {
    if (!text) AfxThrowNotSupportedException();
    Write(text, static_cast<UINT>(std::strlen(text)));
}

BOOL CStdioFile::ReadString(CString& line) {
    std::string text;
    int c = GetChar();
    if (c < 0) {
        line.Empty();
        return FALSE;
    }
    while (c >= 0 && c != '\n') {
        text += static_cast<char>(c);
        c = GetChar();
    }
    line = CString(std::string_view(text));
    return TRUE;
}

LPTSTR CStdioFile::ReadString(LPTSTR buffer, UINT maxChars) {
    if (!buffer || maxChars == 0) return nullptr;
    UINT n = 0;
    while (n + 1 < maxChars) {
        int c = GetChar();
        if (c < 0) break;
        buffer[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buffer[n] = '\0';
    return n ? buffer : nullptr;
}

LONG CStdioFile::Seek(LONG offset, UINT from) {
    FlushWrites();
    if (from == current) offset -= static_cast<LONG>(m_readAhead.size() - m_readPos);
    DropReadAhead();
    return CFile::Seek(offset, from);
}

DWORD CStdioFile::GetLength() const {
    const_cast<CStdioFile*>(this)->FlushWrites();
    return CFile::GetLength();
}

DWORD CStdioFile::GetPosition() const {
    DWORD raw = CFile::GetPosition();
    return raw - static_cast<DWORD>(m_readAhead.size() - m_readPos) + static_cast<DWORD>(m_writeBuffer.size());
}

void CStdioFile::Flush() {
    FlushWrites();
    CFile::Flush();
}

void CStdioFile::Close() {
    if (!IsOpen()) return;
    try {
        FlushWrites();
    } catch (...) {
        CFile::Abort();
        throw;
    }
    DropReadAhead();
    CFile::Close();
}

void CStdioFile::Abort() {
    m_writeBuffer.clear();
    DropReadAhead();
    CFile::Abort();
}

// ---------------------------------------------------------------------------

struct CFileFind::Entry {
    WIN32_FIND_DATAA data;
};

CFileFind::~CFileFind() { Close(); }

void CFileFind::Close() {
    if (m_search && m_search != INVALID_HANDLE_VALUE) FindClose(m_search);
    m_search = nullptr;
    delete m_current;
    delete m_next;
    m_current = m_next = nullptr;
    m_root.Empty();
}

BOOL CFileFind::FindFile(LPCTSTR pattern, DWORD flags) {
    (void)flags;
    Close();
    CString spec = (pattern && *pattern) ? CString(pattern) : CString("*.*");
    auto* first = new Entry{};
    HANDLE h = FindFirstFileA(spec, &first->data);
    if (h == INVALID_HANDLE_VALUE) {
        delete first;
        return FALSE;
    }
    m_search = h;
    m_next = first;
    size_t lastLen = suite::PathLastPart(spec.str()).size();
    m_root = spec.Left(spec.GetLength() - static_cast<int>(lastLen));
    return TRUE;
}

BOOL CFileFind::FindNextFile() {
    if (!m_next) return FALSE;
    delete m_current;
    m_current = m_next;
    m_next = new Entry{};
    if (!FindNextFileA(m_search, &m_next->data)) {
        delete m_next;
        m_next = nullptr;
    }
    return m_next != nullptr;
}

CString CFileFind::GetFileName() const { return m_current ? CString(m_current->data.cFileName) : CString(); }

CString CFileFind::GetFilePath() const { return m_current ? m_root + m_current->data.cFileName : CString(); }

CString CFileFind::GetFileTitle() const { return WithoutExtension(GetFileName()); }

DWORD CFileFind::GetLength() const { return m_current ? m_current->data.nFileSizeLow : 0; }

BOOL CFileFind::GetLastWriteTime(CTime& time) const {
    if (!m_current) return FALSE;
    time = CTime(m_current->data.ftLastWriteTime);
    return TRUE;
}

BOOL CFileFind::IsDots() const {
    if (!m_current || !IsDirectory()) return FALSE;
    const char* n = m_current->data.cFileName;
    return std::strcmp(n, ".") == 0 || std::strcmp(n, "..") == 0;
}

BOOL CFileFind::MatchesMask(DWORD mask) const { return m_current && (m_current->data.dwFileAttributes & mask) != 0; }
