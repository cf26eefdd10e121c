// The common class library of the button manager's bundle ("Velmar.dll",
// linked by import): a registry-key object and a folder browser.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/core/cstring.h"
#include "platform/win/registry.h"
#include "platform/win/types.h"

#define VELMAR_API __attribute__((visibility("default")))

// One open registry key; closed when the object goes away or another key is opened.
class VELMAR_API CRegExt {
public:
    CRegExt() = default;
    CRegExt(const CRegExt&) = delete;
    CRegExt& operator=(const CRegExt&) = delete;
    ~CRegExt();

    BOOL OpenReadOnly(LPCSTR subKey, HKEY parent);
    BOOL OpenReadWrite(LPCSTR subKey, HKEY parent);
    BOOL CreateKey(LPCSTR subKey, HKEY parent, REGSAM access);
    void Close();
    HKEY Key() const { return key_; }
    BOOL IsOpen() const { return key_ != nullptr; }

    // Nonzero when the value was read; otherwise the output holds the default
    // (the overloads without one leave it untouched).
    BOOL GetString(CString& value, LPCSTR name) const;
    BOOL GetString(CString& value, LPCSTR defaultValue, LPCSTR name) const;
    BOOL GetInt(int& value, LPCSTR name) const;
    BOOL GetInt(int& value, int defaultValue, LPCSTR name) const;
    BOOL GetBool(BOOL& value, LPCSTR name) const;
    BOOL GetBool(BOOL& value, BOOL defaultValue, LPCSTR name) const;
    BOOL GetDWord(DWORD& value, LPCSTR name) const;
    BOOL GetDWord(DWORD& value, DWORD defaultValue, LPCSTR name) const;
    // A REG_BINARY value of 32-bit numbers.
    BOOL GetDWordArray(std::vector<DWORD>& values, LPCSTR name) const;

    BOOL SetString(LPCSTR value, LPCSTR name);
    BOOL SetInt(int value, LPCSTR name);
    BOOL SetBool(BOOL value, LPCSTR name);
    BOOL SetDWord(DWORD value, LPCSTR name);
    BOOL SetDWordArray(const std::vector<DWORD>& values, LPCSTR name);

private:
    BOOL open(LPCSTR subKey, HKEY parent, REGSAM access, bool create);
    HKEY key_ = nullptr;
};

class CWnd;

// The folder browser: a modal choice of one folder.
class VELMAR_API CSHBrowseDlg {
public:
    explicit CSHBrowseDlg(CWnd* owner);
    // Nonzero when a folder was chosen. `startFolder` is shown first, `text`
    // above the tree; `icon` and `reserved` are kept for callers that pass them.
    int DoModal(LPCSTR startFolder, LPCSTR text, HICON icon, UINT flags, int reserved);
    CString GetFullPath() const { return path_; }

private:
    CWnd* owner_;
    CString path_;
};
