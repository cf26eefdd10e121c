#include "platform/win/ini.h"

#include "platform/win/ansi_names.h"
#include "platform/win/errors.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/path.h"
#include "platform/win/blanks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace suite {

namespace {

enum class Kind { Blank, Comment, Section, Entry };

struct Line {
    Kind kind;
    std::string_view name;   // section or key name
    std::string_view value;  // entries only
};

Line Classify(std::string_view raw) {
    std::string_view text = suite::TrimBlanks(raw);
    if (text.empty()) return {Kind::Blank, {}, {}};
    if (text.front() == ';') return {Kind::Comment, {}, {}};
    if (text.front() == '[') {
        size_t close = FindAnsiChar(text, ']', 1);
        std::string_view name = close == std::string_view::npos ? text.substr(1) : text.substr(1, close - 1);
        return {Kind::Section, suite::TrimBlanks(name), {}};
    }
    size_t equals = FindAnsiChar(text, '=');
    if (equals == std::string_view::npos) return {Kind::Entry, text, {}};
    return {Kind::Entry, suite::TrimBlanks(text.substr(0, equals)), suite::TrimBlanks(text.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Serialises writers in this process, so no edit is lost between the read and
// the rename of another.
std::mutex& WriteMutex() {
    static std::mutex m;
    return m;
}

// Copies a list of names as NUL-terminated strings followed by one more NUL,
// cut to fit (see ini.h).
DWORD CopyList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
    if (out == nullptr || size == 0) return 0;
    if (size == 1) {
        out[0] = '\0';
        return 0;
    }
    size_t pos = 0;
    for (const std::string& name : names) {
        if (pos + name.size() + 2 > size) {
            size_t room = pos + 2 <= size ? size - 2 - pos : 0;
            std::memcpy(out + pos, name.data(), std::min(room, name.size()));
            out[size - 2] = '\0';
            out[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(out + pos, name.data(), name.size());
        pos += name.size();
        out[pos++] = '\0';
    }
    out[pos] = '\0';
    if (pos == 0 && size >= 2) out[1] = '\0';
    return static_cast<DWORD>(pos);
}

DWORD CopyText(std::string_view text, LPSTR out, DWORD size) {
    if (out == nullptr || size == 0) return 0;
    size_t n = std::min<size_t>(text.size(), size - 1);
    if (n > 0) std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// Loads the document of `file`; a missing file is an empty document. False
// (and the last error set) when the file cannot be read.
bool Load(LPCSTR file, std::string& path, IniDocument& doc, bool& exists, std::string& original) {
    if (file == nullptr || *file == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    path = IniNativePath(file);
    exists = ReadNativeFile(path, original);
    if (!exists) {
        int e = errno;
        SetLastError(FileErrorFromErrno(e, path));
        // Only a missing file reads as an empty one.
        if (e != ENOENT && e != ENOTDIR) return false;
    }
    doc = IniDocument::Parse(original);
    return true;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// True when the last byte is the lead byte of a character that is not there.
bool EndsInHalfCharacter(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        if (StartsDoubleByte(text, i))
            i += 2;
        else if (i + 1 == text.size() && c >= 0x81 && c <= 0xFE)
            return true;
        else
            ++i;
    }
    return false;
}

// Writers in other processes: an advisory lock on the file's folder (the file
// itself is replaced by each write, so it cannot carry the lock). Waits are
// bounded; a folder that cannot be opened is not locked (the write then fails
// on its own).
class FolderLock {
public:
    explicit FolderLock(const std::string& path) {
        size_t slash = path.rfind('/');
        std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return;
        for (int waited = 0; ::flock(fd_, LOCK_EX | LOCK_NB) != 0; waited += 5) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= kWaitMillis) {
                timedOut_ = errno == EWOULDBLOCK;
                ::close(fd_);
                fd_ = -1;
                return;
            }
            ::usleep(5000);
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool TimedOut() const { return timedOut_; }

private:
    static constexpr int kWaitMillis = 10000;
    int fd_ = -1;
    bool timedOut_ = false;
};

// Reads, edits and writes back one file under the writers' locks.
template <typename Edit>
BOOL EditFile(LPCSTR file, Edit edit) {
    std::lock_guard<std::mutex> lock(WriteMutex());
    if (file == nullptr || *file == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = IniNativePath(file);
    if (!std::strchr(file, '\\') && !std::strchr(file, '/')) MakeNativeFolders(NativeFolder(CSIDL_WINDOWS));
    FolderLock folderLock(path);
    if (folderLock.TimedOut()) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    std::string original;
    IniDocument doc;
    bool exists = false;
    if (!Load(file, path, doc, exists, original)) return FALSE;
    edit(doc);
    std::string bytes = doc.Serialize();
    if ((exists && bytes == original) || (!exists && bytes.empty())) return TRUE;
    if (!WriteNativeFileAtomic(path, bytes)) {
        SetLastError(FileErrorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view bytes) {
    IniDocument doc;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.bom_ = "\xEF\xBB\xBF";
        bytes.remove_prefix(3);
    }
    size_t firstBreak = bytes.find('\n');
    if (firstBreak != std::string_view::npos && (firstBreak == 0 || bytes[firstBreak - 1] != '\r')) doc.eol_ = "\n";
    doc.finalEol_ = bytes.empty() || bytes.back() == '\n';
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        doc.lines_.emplace_back(line);
        start = end + 1;
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out = bom_;
    for (size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i];
        if (i + 1 < lines_.size() || finalEol_) out += eol_;
    }
    return out;
}

long IniDocument::FindSection(std::string_view section) const {
    std::string want = FoldName(suite::TrimBlanks(section));
    for (size_t i = 0; i < lines_.size(); ++i) {
        Line line = Classify(lines_[i]);
        if (line.kind == Kind::Section && FoldName(line.name) == want) return static_cast<long>(i);
    }
    return -1;
}

size_t IniDocument::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && Classify(lines_[i]).kind != Kind::Section) ++i;
    return i;
}

long IniDocument::FindKey(size_t header, std::string_view key) const {
    std::string_view want = suite::TrimBlanks(key);
    for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
        Line line = Classify(lines_[i]);
        if (line.kind == Kind::Entry && SameName(line.name, want)) return static_cast<long>(i);
    }
    return -1;
}

size_t IniDocument::InsertPoint(size_t header) const {
    size_t end = SectionEnd(header);
    while (end > header + 1 && Classify(lines_[end - 1]).kind == Kind::Blank) --end;
    return end;
}

std::vector<std::string> IniDocument::Sections() const {
    std::vector<std::string> names;
    for (const std::string& text : lines_) {
        Line line = Classify(text);
        if (line.kind == Kind::Section) names.emplace_back(line.name);
    }
    return names;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
    std::vector<std::string> names;
    long header = FindSection(section);
    if (header < 0) return names;
    for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
        Line line = Classify(lines_[i]);
        if (line.kind == Kind::Entry) names.emplace_back(line.name);
    }
    return names;
}

std::vector<std::string> IniDocument::Lines(std::string_view section) const {
    std::vector<std::string> out;
    long header = FindSection(section);
    if (header < 0) return out;
    for (size_t i = header + 1, end = SectionEnd(header); i < end; ++i) {
        Line line = Classify(lines_[i]);
        if (line.kind != Kind::Entry) continue;
        std::string text(line.name);
        if (FindAnsiChar(suite::TrimBlanks(lines_[i]), '=') != std::string_view::npos) text.append("=").append(line.value);
        out.push_back(std::move(text));
    }
    return out;
}

bool IniDocument::HasSection(std::string_view section) const { return FindSection(section) >= 0; }

bool IniDocument::Get(std::string_view section, std::string_view key, std::string& value) const {
    long header = FindSection(section);
    if (header < 0) return false;
    long at = FindKey(static_cast<size_t>(header), key);
    if (at < 0) return false;
    value = std::string(Unquote(Classify(lines_[at]).value));
    return true;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    long header = FindSection(section);
    if (header < 0) {
        lines_.push_back("[" + std::string(suite::TrimBlanks(section)) + "]");
        lines_.push_back(std::string(suite::TrimBlanks(key)) + "=" + std::string(value));
        finalEol_ = true;
        return;
    }
    long at = FindKey(static_cast<size_t>(header), key);
    if (at >= 0) {
        // The key keeps the spelling it has in the file.
        lines_[at] = std::string(Classify(lines_[at]).name) + "=" + std::string(value);
        return;
    }
    size_t where = InsertPoint(static_cast<size_t>(header));
    if (where == lines_.size()) finalEol_ = true;
    lines_.insert(lines_.begin() + static_cast<long>(where), std::string(suite::TrimBlanks(key)) + "=" + std::string(value));
}

void IniDocument::DeleteKey(std::string_view section, std::string_view key) {
    long header = FindSection(section);
    if (header < 0) return;
    long at = FindKey(static_cast<size_t>(header), key);
    if (at >= 0) lines_.erase(lines_.begin() + at);
}

void IniDocument::DeleteSection(std::string_view section) {
    long header = FindSection(section);
    if (header < 0) return;
    lines_.erase(lines_.begin() + header, lines_.begin() + static_cast<long>(SectionEnd(static_cast<size_t>(header))));
}

void IniDocument::ReplaceSection(std::string_view section, const std::vector<std::string>& lines) {
    long header = FindSection(section);
    if (header < 0) {
        lines_.push_back("[" + std::string(suite::TrimBlanks(section)) + "]");
        lines_.insert(lines_.end(), lines.begin(), lines.end());
        finalEol_ = true;
        return;
    }
    size_t first = static_cast<size_t>(header) + 1;
    size_t end = InsertPoint(static_cast<size_t>(header));
    // Comments inside the section go with its old contents; blank lines after it stay.
    lines_.erase(lines_.begin() + static_cast<long>(first), lines_.begin() + static_cast<long>(end));
    if (first == lines_.size()) finalEol_ = true;
    lines_.insert(lines_.begin() + static_cast<long>(first), lines.begin(), lines.end());
}

bool IniDocument::IsWritableSection(std::string_view section) {
    return !HasLineBreak(section) && FindAnsiChar(section, ']') == std::string_view::npos &&
           !EndsInHalfCharacter(suite::TrimBlanks(section));
}

bool IniDocument::IsWritableKey(std::string_view key) {
    std::string_view name = suite::TrimBlanks(key);
    return !HasLineBreak(key) && FindAnsiChar(key, '=') == std::string_view::npos && !EndsInHalfCharacter(name) &&
           (name.empty() || (name.front() != '[' && name.front() != ';'));
}

bool IniDocument::IsWritableValue(std::string_view value) { return !HasLineBreak(value); }

std::string IniNativePath(std::string_view file) {
    bool bare = file.find_first_of("\\/") == std::string_view::npos && !(file.size() >= 2 && file[1] == ':');
    if (!bare) return NativePath(file);
    char folder[MAX_PATH];
    UINT n = GetWindowsDirectoryA(folder, sizeof folder);
    if (n == 0 || n >= sizeof folder) return {};
    return NativePath(std::string(folder, n) + "\\" + std::string(file));
}

}  // namespace suite

using suite::IniDocument;

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out, DWORD size, LPCSTR file) {
    if (out == nullptr || size == 0) return 0;
    std::string path, original;
    IniDocument doc;
    bool exists = false;
    bool loaded = suite::Load(file, path, doc, exists, original);
    if (section == nullptr) return suite::CopyList(doc.Sections(), out, size);
    if (key == nullptr) return suite::CopyList(doc.Keys(section), out, size);
    std::string value;
    if (loaded && doc.Get(section, key, value)) return suite::CopyText(value, out, size);
    std::string_view fallback = def != nullptr ? std::string_view(def) : std::string_view();
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.remove_suffix(1);
    return suite::CopyText(fallback, out, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file) {
    if (section == nullptr || key == nullptr) return static_cast<UINT>(def);
    std::string path, original;
    IniDocument doc;
    bool exists = false;
    std::string value;
    if (!suite::Load(file, path, doc, exists, original) || !doc.Get(section, key, value) || value.empty())
        return static_cast<UINT>(def);
    size_t i = 0;
    bool negative = false;
    if (value[0] == '-' || value[0] == '+') {
        negative = value[0] == '-';
        i = 1;
    }
    std::uint32_t n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        n = n * 10u + static_cast<std::uint32_t>(value[i] - '0');
    return negative ? 0u - n : n;
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    if (section == nullptr) {
        if (key == nullptr && value == nullptr) return TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string_view s(section), k(key != nullptr ? key : ""), v(value != nullptr ? value : "");
    if (!IniDocument::IsWritableSection(s) || !IniDocument::IsWritableKey(k) || !IniDocument::IsWritableValue(v)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return suite::EditFile(file, [&](IniDocument& doc) {
        if (key == nullptr)
            doc.DeleteSection(s);
        else if (value == nullptr)
            doc.DeleteKey(s, k);
        else
            doc.Set(s, k, v);
    });
}

DWORD GetPrivateProfileSectionNamesA(LPSTR out, DWORD size, LPCSTR file) {
    return GetPrivateProfileStringA(nullptr, nullptr, nullptr, out, size, file);
}

DWORD GetPrivateProfileSectionA(LPCSTR section, LPSTR out, DWORD size, LPCSTR file) {
    if (section == nullptr) return suite::CopyList({}, out, size);
    std::string path, original;
    IniDocument doc;
    bool exists = false;
    suite::Load(file, path, doc, exists, original);
    return suite::CopyList(doc.Lines(section), out, size);
}

BOOL WritePrivateProfileSectionA(LPCSTR section, LPCSTR data, LPCSTR file) {
    if (section == nullptr || !IniDocument::IsWritableSection(section)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> lines;
    for (const char* p = data; p != nullptr && *p != '\0'; p += std::strlen(p) + 1) {
        if (!IniDocument::IsWritableValue(p)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        lines.emplace_back(p);
    }
    return suite::EditFile(file, [&](IniDocument& doc) {
        if (data == nullptr)
            doc.DeleteSection(section);
        else
            doc.ReplaceSection(section, lines);
    });
}
