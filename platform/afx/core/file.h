// CFile over the core's file calls (paths go through the platform path
// layer), CStdioFile with text-mode lines (CR LF on disk, LF in memory) and
// CFileFind over FindFirstFile. Failures throw CFileException* unless the
// call reports them itself (Open).
#pragma once

#include <string>

#include "platform/afx/core/cstring.h"
#include "platform/afx/core/datetime.h"
#include "platform/afx/core/exception.h"
#include "platform/afx/core/object.h"

struct CFileStatus {
    CTime m_ctime;
    CTime m_mtime;
    CTime m_atime;
    LONG m_size = 0;
    BYTE m_attribute = 0;
    BYTE m_padding = 0;
    char m_szFullName[MAX_PATH] = {};
};

class AFX_CORE_API CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum Attribute { normal = 0x00, readOnly = 0x01, hidden = 0x02, system = 0x04, volume = 0x08, directory = 0x10, archive = 0x20 };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };

    CFile();
    explicit CFile(HANDLE file);
    // Opens or throws.
    CFile(LPCTSTR fileName, UINT openFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, with the cause in `error` when given.
    virtual BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr);
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual LONG Seek(LONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    DWORD SeekToEnd() { return static_cast<DWORD>(Seek(0, end)); }
    virtual DWORD GetLength() const;
    virtual void SetLength(DWORD newLength);
    virtual DWORD GetPosition() const;
    virtual void Flush();
    // Closes; throws when the close fails. Abort closes and never throws.
    virtual void Close();
    virtual void Abort();
    BOOL IsOpen() const { return m_hFile != hFileNull; }

    CString GetFileName() const;
    CString GetFileTitle() const;
    CString GetFilePath() const { return m_strFileName; }
    void SetFilePath(LPCTSTR path) { m_strFileName = path; }
    BOOL GetStatus(CFileStatus& status) const;
    static BOOL GetStatus(LPCTSTR fileName, CFileStatus& status);

    static void Rename(LPCTSTR oldName, LPCTSTR newName);
    static void Remove(LPCTSTR fileName);

    static const HANDLE hFileNull;
    HANDLE m_hFile;
    BOOL m_bCloseOnDelete = FALSE;

protected:
    [[noreturn]] void ThrowLastError() const;
    CString m_strFileName;
};

// Text files: in text mode (the default; typeBinary turns it off) each LF in
// memory is CR LF on disk and CR LF reads back as LF.
class AFX_CORE_API CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile() = default;
    CStdioFile(LPCTSTR fileName, UINT openFlags);
    ~CStdioFile() override;

    BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    LONG Seek(LONG offset, UINT from) override;
    DWORD GetLength() const override;
    DWORD GetPosition() const override;
    void Flush() override;
    void Close() override;
    void Abort() override;

    // Writes the text (LF becomes CR LF in text mode). Writes are buffered,
    // but one to a file opened for reading only throws at once.
    virtual void WriteString(LPCTSTR text);
    // Reads one line without its line end; FALSE at the end of the file.
    virtual BOOL ReadString(CString& line);
    // Reads up to maxChars - 1 bytes, stopping after a LF (kept); nullptr at the end.
    virtual LPTSTR ReadString(LPTSTR buffer, UINT maxChars);

private:
    int GetByte();  // next byte from the file, -1 at the end
    int GetChar();  // next byte after text-mode translation
    void DropReadAhead();
    void FlushWrites();

    bool m_text = true;
    bool m_writable = true;  // false when opened for reading only
    std::string m_readAhead;
    size_t m_readPos = 0;
    std::string m_writeBuffer;
};

class AFX_CORE_API CFileFind : public CObject {
    DECLARE_DYNAMIC(CFileFind)
public:
    CFileFind() = default;
    ~CFileFind() override;
    CFileFind(const CFileFind&) = delete;
    CFileFind& operator=(const CFileFind&) = delete;

    // Starts a search ("*.*" when null). FindNextFile must then be called to
    // reach the first entry; it returns FALSE once it has reached the last one.
    BOOL FindFile(LPCTSTR pattern = nullptr, DWORD flags = 0);
    BOOL FindNextFile();
    void Close();

    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetFileTitle() const;
    CString GetRoot() const { return m_root; }
    DWORD GetLength() const;
    BOOL GetLastWriteTime(CTime& time) const;
    BOOL IsDirectory() const { return MatchesMask(CFile::directory); }
    BOOL IsReadOnly() const { return MatchesMask(CFile::readOnly); }
    BOOL IsHidden() const { return MatchesMask(CFile::hidden); }
    BOOL IsDots() const;
    BOOL MatchesMask(DWORD mask) const;

private:
    struct Entry;
    HANDLE m_search = nullptr;
    Entry* m_current = nullptr;
    Entry* m_next = nullptr;
    CString m_root;  // folder of the pattern, with a trailing backslash (or empty)
};
