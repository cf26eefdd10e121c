// Names of a scan job's output files: serial numbers or date and time (mode
// 1: filing, PDF, custom program, OCR hand-offs) or a millisecond time stamp
// or a name the user picks (mode 0: e-mail, FTP, capture). Each name is
// reserved by creating its file exclusively, so it never takes an existing
// file (one the user has replaced goes only once the new one is whole); the reference time and counter of date-and-time names last for the
// whole job, so pages of one second get names of their own.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "keyrider/job_profile.h"
#include "platform/win/types.h"

namespace keyrider {

struct NamingSettings {
    bool dateAndTime = true;
    bool localeText = true;  // "Prefix Type" other than 2
    bool twoDigitYear = false;
    int separator = 1;       // 0 none, 1 "-", 2 "."
    bool hour24 = true;
    std::string prefix = "Image";
    long long serial = 0;
    int pad = 2;
    bool overwritePrompt = true;
    bool confirmPrefix = false;
    bool launchApp = false;
};
NamingSettings ReadNamingSettings(const JobProfile& profile, const std::string& section);

// Characters a prefix may not hold, in the order they are looked for.
inline constexpr const char* kForbiddenPrefixCharacters = "\\/:*?\"<>|,;";
// Whether `prefix` can make file names (none of the characters above).
bool IsValidPrefix(const std::string& prefix);

struct NamingHooks {
    std::function<SYSTEMTIME()> now;  // the local time
    // Message `id` of the message library with "%1" = `value`, in a stop box.
    std::function<void(int id, const std::string& value)> message;
    // The Confirm Prefix Name dialog: true on OK with the edited prefix and
    // the check box state in `keepAsking`.
    std::function<bool(std::string& prefix, bool& keepAsking, const std::string& folder)> confirmPrefix;
    // The save-file dialog of mode 0: true with the chosen path.
    std::function<bool(std::string& path, int formatCode, const std::string& extension)> saveDialog;
    // Whether the existing file `path` may be replaced by the new page(s);
    // asked only where "Overwrite Prompt" is set. None: never replaced.
    std::function<bool(const std::string& path)> replace;
    // "AM" and "PM" texts (strings 132 and 131).
    std::string am = "AM", pm = "PM";
};

enum class NameResult { Named, Overflow, NoFolder, Cancelled, CannotCreate };

// Creates `folder` and its missing parents; false when its first part (drive
// or top folder) is missing or a level cannot be made.
bool EnsureFolderPath(const std::string& folder);

class OutputNamer {
public:
    OutputNamer(NamingSettings settings, std::string folder, NamingHooks hooks);

    // Shows the Confirm Prefix Name dialog when the settings ask for it.
    void ConfirmPrefix();
    // Mode 1: the next serial or date-and-time name with `extension` ("" ends
    // the name in "."), its file created empty unless `reserve` is false (the
    // stems of results an outside application writes). Overflow shows
    // message 8 once.
    NameResult NextName(const std::string& extension, std::string* path, bool reserve = true);
    // Mode 0: the user's choice when "Prompt for Filename" is set and the job
    // has not asked yet, else a millisecond time stamp; the file created empty.
    NameResult CollectName(const std::string& extension, int formatCode, bool prompt, bool& asked,
                           std::string* path);

    // A name that replaces an existing file (the user said so) first gets a
    // new file beside it: once that file is whole, this gives it the name,
    // and returns the name the file now has.
    std::string Settle(const std::string& path);

    const NamingSettings& Settings() const { return settings_; }
    const std::string& Folder() const { return folder_; }
    // The date-and-time text of `t` by the settings (without counter and extension).
    std::string DateTimeStem(const SYSTEMTIME& t) const;

private:
    NameResult reserve(const std::string& name, std::string* path, bool create = true);

    bool ensureFolder(bool again);
    std::string counterSuffix(const SYSTEMTIME& t);

    NamingSettings settings_;
    std::string folder_;
    NamingHooks hooks_;
    bool overflowShown_ = false;
    bool folderReady_ = false;  // made (or found) in this job
    bool haveReference_ = false;
    SYSTEMTIME reference_{};
    int counter_ = 0;
    std::map<std::string, std::string> replacing_;  // the new file -> the file it replaces
};

}  // namespace keyrider
