// Private-profile (ini) files: text files of "[section]" lines followed by
// "key=value" lines, in the ANSI code page.
//
// Reading: sections and keys match without regard to ASCII case (double-byte
// characters byte for byte); the first matching section, and the first
// matching key in it, count. Blanks around names and values are ignored, and a
// value wholly inside a pair of double or single quotes loses them. Lines
// starting with ';' are comments. A missing file reads as an empty one.
//
// Writing edits the file in place, keeping every other line, comment and the
// file's line ends (CR LF for a new file), and replaces it atomically (a
// temporary file beside it, then a rename), so a reader never sees half a
// file. Writers are serialised, in one process by a lock and across processes
// by an advisory lock on the file's folder (bounded wait; ERROR_SHARING_VIOLATION).
//
// A file name without a folder lives in the Windows folder, as on the original.
#pragma once

#include "platform/win/types.h"

#include <string>
#include <string_view>
#include <vector>

// Copies the value of `key` in `section` (or `def`, without its trailing
// blanks, when there is none; "" for a nullptr `def`) into `out`, truncated to
// `size` - 1 characters, and returns the number copied. With `key` nullptr the
// section's keys, with `section` nullptr the file's sections, are copied as a
// list: each name NUL-terminated, one more NUL at the end; a list that does not
// fit is cut (still ending in two NULs) and `size` - 2 is returned.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size, LPCSTR file);
// The value read as a decimal integer (optional sign, digits up to the first
// other character); `def` when the key is missing or empty.
UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file);
// Sets `key` to `value`, adding the key (at the end of its section) and the
// section (at the end of the file) when missing. `value` nullptr deletes the
// key, `key` nullptr the whole section. All three nullptr does nothing (there
// is no cache to flush) and succeeds. FALSE with GetLastError set on failure;
// text that would break the file's structure (IniDocument::IsWritable...) is
// refused with ERROR_INVALID_PARAMETER.
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
// The file's section names as a list (see GetPrivateProfileStringA).
DWORD GetPrivateProfileSectionNamesA(LPSTR out, DWORD size, LPCSTR file);
// The lines of `section` as a list ("key=value" each; comments left out).
DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR out, DWORD size, LPCSTR file);
// Replaces the contents of `section` with the lines of `data`, a list of
// NUL-terminated "key=value" texts ending with an empty one; creates the
// section when missing. `data` nullptr deletes the section.
BOOL WritePrivateProfileSectionA(LPCSTR section, LPCSTR data, LPCSTR file);

namespace suite {

// The parsed form of an ini file, which the calls above read and edit. Only
// the lines that change are rewritten.
class IniDocument {
public:
    static IniDocument Parse(std::string_view bytes);
    std::string Serialize() const;

    std::vector<std::string> Sections() const;
    // The key names of `section` in file order (empty when it is missing).
    std::vector<std::string> Keys(std::string_view section) const;
    // The "key=value" lines of `section` (blanks around both trimmed).
    std::vector<std::string> Lines(std::string_view section) const;
    bool HasSection(std::string_view section) const;
    // The value, trimmed and unquoted; false when the key is missing.
    bool Get(std::string_view section, std::string_view key, std::string& value) const;

    // Whether text can be written as a section name, key or value without
    // changing the file's structure: no line breaks; no ']' in a section, no
    // '=' in a key, nor a key that reads as a header or comment (leading '['
    // or ';'); no name ending in half a double-byte character.
    static bool IsWritableSection(std::string_view section);
    static bool IsWritableKey(std::string_view key);
    static bool IsWritableValue(std::string_view value);

    void Set(std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);
    // Replaces the section's contents with `lines`, creating it when missing.
    void ReplaceSection(std::string_view section, const std::vector<std::string>& lines);

private:
    // Index of the section's header line, or -1.
    long FindSection(std::string_view section) const;
    // One past the section's last line (the next header or the end).
    size_t SectionEnd(size_t header) const;
    long FindKey(size_t header, std::string_view key) const;
    // Where a new line goes in a section: after its last non-blank line.
    size_t InsertPoint(size_t header) const;

    std::vector<std::string> lines_;
    std::string eol_ = "\r\n";
    std::string bom_;
    bool finalEol_ = true;
};

// The native path of an ini file named by the system (see the note above).
std::string IniNativePath(std::string_view file);

}  // namespace suite
