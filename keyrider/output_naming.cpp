#include "keyrider/output_naming.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/win/exclusive_file.h"
#include "platform/win/path.h"
#include "platform/win/time.h"

namespace keyrider {

NamingSettings ReadNamingSettings(const JobProfile& p, const std::string& section) {
    NamingSettings s;
    s.dateAndTime = p.Int(section, "Date And Time", 1) != 0;
    s.localeText = p.Int(section, "Prefix Type", 1) != 2;
    s.twoDigitYear = p.Int(section, "Time Format", 0) != 0;
    s.separator = p.Int(section, "Separator", 1);
    s.hour24 = p.Int(section, "Hour Style", 1) != 0;
    s.prefix = p.String(section, "String Prefix", "Image");
    s.serial = p.Int(section, "Serial Number", 0);
    if (s.serial < 0) s.serial = 0;
    s.pad = p.Int(section, "Pad", 2);
    s.overwritePrompt = p.Int(section, "Overwrite Prompt", 1) != 0;
    s.confirmPrefix = p.Int(section, "Confirm Prefix Prompt", 0) != 0;
    s.launchApp = p.Int(section, "Launch App", 0) != 0;
    return s;
}

bool IsValidPrefix(const std::string& prefix) {
    if (prefix.find_first_of(kForbiddenPrefixCharacters) != std::string::npos) return false;
    // Every byte must be a character of the code page, and none a control character.
    for (unsigned char c : prefix)
        if (c < 0x20 || c == 0x7F) return false;
    std::string native;
    return prefix.empty() || suite::TryNativePath(prefix, native);
}

bool EnsureFolderPath(const std::string& folder) {
    if (folder.empty()) return false;
    std::string native = suite::NativePathOfEither(folder);
    if (native.empty()) return false;
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path(native);
    // The first part (a drive's folder or the top folder) must be there already.
    fs::path first = path.root_path();
    for (const auto& part : path.relative_path()) {
        first /= part;
        break;
    }
    if (!fs::is_directory(first, ec)) return false;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

OutputNamer::OutputNamer(NamingSettings settings, std::string folder, NamingHooks hooks)
    : settings_(std::move(settings)), folder_(std::move(folder)), hooks_(std::move(hooks)) {
    if (!hooks_.now) hooks_.now = [] {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        return t;
    };
    // The names go to other programs as they are: a folder of this system's
    // own kind of path keeps its own separator.
    if (!folder_.empty() && !suite::IsPathSeparator(folder_.back()))
        folder_ += folder_.front() == '/' && folder_.find('\\') == std::string::npos ? '/' : '\\';
}

void OutputNamer::ConfirmPrefix() {
    if (settings_.dateAndTime || !settings_.confirmPrefix || !hooks_.confirmPrefix) return;
    std::string prefix = settings_.prefix;
    bool keepAsking = true;
    if (hooks_.confirmPrefix(prefix, keepAsking, folder_) && IsValidPrefix(prefix)) {
        settings_.prefix = prefix;
        settings_.confirmPrefix = keepAsking;
    }
}

std::string OutputNamer::counterSuffix(const SYSTEMTIME& t) {
    auto sameSecond = [](const SYSTEMTIME& a, const SYSTEMTIME& b) {
        return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
               a.wMinute == b.wMinute && a.wSecond == b.wSecond;
    };
    if (haveReference_ && sameSecond(t, reference_)) {
        ++counter_;
    } else {
        reference_ = t;
        haveReference_ = true;
        counter_ = 1;
    }
    char text[16];
    std::snprintf(text, sizeof text, "-%02d", counter_);
    return text;
}

std::string OutputNamer::DateTimeStem(const SYSTEMTIME& t) const {
    char text[128];
    if (settings_.localeText) {
        std::tm tm{};
        tm.tm_year = t.wYear - 1900;
        tm.tm_mon = t.wMonth - 1;
        tm.tm_mday = t.wDay;
        tm.tm_hour = t.wHour;
        tm.tm_min = t.wMinute;
        tm.tm_sec = t.wSecond;
        if (std::strftime(text, sizeof text, "%x %X", &tm) == 0) text[0] = 0;
        std::string s = text;
        for (char& c : s)
            if (c == '/' || c == ':' || c == '\\') c = '-';
        return s;
    }
    char hour[32];
    if (settings_.hour24) std::snprintf(hour, sizeof hour, "%02d", t.wHour);
    else std::snprintf(hour, sizeof hour, "%s%02d", (t.wHour < 12 ? hooks_.am : hooks_.pm).c_str(), t.wHour % 12);
    std::snprintf(text, sizeof text, settings_.twoDigitYear ? "%02d-%02d-%02d-%s-%02d-%02d" : "%04d-%02d-%02d-%s-%02d-%02d",
                  settings_.twoDigitYear ? t.wYear % 100 : t.wYear, t.wMonth, t.wDay, hour, t.wMinute, t.wSecond);
    std::string s = text;
    if (settings_.separator == 0) std::erase(s, '-');
    else if (settings_.separator == 2)
        for (char& c : s)
            if (c == '-') c = '.';
    return s;
}

// The folder is made once a job; it is looked at again only when a name
// cannot be created in it (it may have gone meanwhile).
bool OutputNamer::ensureFolder(bool again) {
    if (folderReady_ && !again) return true;
    folderReady_ = EnsureFolderPath(folder_);
    return folderReady_;
}

NameResult OutputNamer::reserve(const std::string& name, std::string* path, bool create) {
    if (!ensureFolder(false)) return NameResult::NoFolder;
    if (!create) {
        *path = folder_ + name;
        return NameResult::Named;
    }
    NameResult r = writeBeside(folder_ + name, false, path);
    if (r == NameResult::CannotCreate && !ensureFolder(true)) return NameResult::NoFolder;
    if (r == NameResult::CannotCreate) r = writeBeside(folder_ + name, false, path);
    return r;
}

NameResult OutputNamer::writeBeside(const std::string& target, bool replace, std::string* path) {
    const std::string name = replace ? target : suite::FirstFreeNameWithSuffix(target);
    const std::string temporary = name.empty() ? std::string() : suite::CreateTemporarySibling(name);
    if (temporary.empty()) return NameResult::CannotCreate;
    if (hooks_.writing) hooks_.writing(temporary);
    pending_[temporary] = {name, replace};
    *path = temporary;
    return NameResult::Named;
}

NameResult OutputNamer::NextName(const std::string& extension, std::string* path, bool create) {
    const std::string dotExtension = "." + extension;
    if (settings_.dateAndTime) {
        SYSTEMTIME t = hooks_.now();
        return reserve(DateTimeStem(t) + counterSuffix(t) + dotExtension, path, create);
    }
    ConfirmPrefix();
    long long limit = 1;
    const int pad = settings_.pad < 1 ? 0 : std::min(settings_.pad, 18);
    for (int i = 0; i < pad; ++i) limit *= 10;
    if (settings_.serial >= limit) {
        if (!overflowShown_ && hooks_.message) hooks_.message(8, std::to_string(limit - 1));
        overflowShown_ = true;
        return NameResult::Overflow;
    }
    const long long serial = settings_.serial++;
    char number[32];
    std::snprintf(number, sizeof number, "%0*lld", pad, serial);
    std::string name = settings_.prefix + number + dotExtension;
    if (settings_.overwritePrompt && ensureFolder(false)) {
        std::error_code ec;
        const std::string existing = folder_ + name;
        if (std::filesystem::is_regular_file(suite::NativePathOfEither(existing), ec)) {
            // Asked, the user may have the file replaced; else the page keeps
            // its own number with the time after it.
            if (create && hooks_.replace && hooks_.replace(existing)) return writeBeside(existing, true, path);
            SYSTEMTIME t = hooks_.now();
            char stamp[64];
            std::snprintf(stamp, sizeof stamp, "%0*lld-%04d%02d%02d%02d%02d%02d", pad, serial, t.wYear, t.wMonth, t.wDay,
                          t.wHour, t.wMinute, t.wSecond);
            name = settings_.prefix + stamp + dotExtension;
        }
    }
    return reserve(name, path, create);
}

std::string OutputNamer::Settle(const std::string& path) {
    const auto it = pending_.find(path);
    if (it == pending_.end()) return path;
    const Pending target = it->second;
    pending_.erase(it);
    if (target.replace) {
        std::error_code ec;
        std::filesystem::rename(suite::NativePathOfEither(path), suite::NativePathOfEither(target.name), ec);
        return ec ? path : target.name;
    }
    const std::string name = suite::PublishWithSuffix(path, target.name);
    return name.empty() ? path : name;
}

std::string OutputNamer::Intended(const std::string& path) const {
    const auto it = pending_.find(path);
    return it == pending_.end() ? path : it->second.name;
}

void OutputNamer::Discard(const std::string& path) {
    if (pending_.erase(path) == 0) return;
    std::error_code ec;
    std::filesystem::remove(suite::NativePathOfEither(path), ec);
}

NameResult OutputNamer::CollectName(const std::string& extension, int formatCode, bool prompt, bool& asked,
                                    std::string* path) {
    if (prompt && !asked && hooks_.saveDialog) {
        if (formatCode == 11 || formatCode == 12) asked = true;
        // The dialog starts at the current name, or in the folder.
        std::string chosen = path->empty() ? folder_ : Intended(*path);
        if (!chosen.empty() && path->empty() && chosen.back() != '\\' && chosen.back() != '/')
            chosen += chosen.find('\\') != std::string::npos ? '\\' : '/';
        if (!hooks_.saveDialog(chosen, formatCode, extension)) return NameResult::Cancelled;
        std::size_t part = chosen.find_last_of("\\/");
        if (chosen.find('.', part == std::string::npos ? 0 : part) == std::string::npos) chosen += "." + extension;
        return writeBeside(chosen, false, path);
    }
    SYSTEMTIME t = hooks_.now();
    char name[96];
    std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d%02d.%s", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond, t.wMilliseconds, extension.c_str());
    return reserve(name, path);
}

}  // namespace keyrider
