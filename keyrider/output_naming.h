// Names of a scan job's output files: serial numbers or date and time (mode
// 1: filing, PDF, custom program, OCR hand-offs) or a millisecond time stamp
// or a name the user picks (mode 0: e-mail, FTP, capture). A file is
// written under a temporary name beside the name it will have and takes that
// name only once it is whole (Settle), so a job that dies leaves nothing
// under an output name; it never takes an existing file unless the user said
// so. The reference time and counter of date-and-time names last for the
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
    // A file is being written under the temporary name `path` (given as it
    // is made, so that it can be found when the job dies before Settle).
    std::function<void(const std::string& path)> writing;
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
    // the name in "."). `path` is the file to write, made empty beside the
    // name, unless `reserve` is false: then it is the name itself and nothing
    // is made (the stems of results an outside application writes). Overflow
    // shows message 8 once.
    NameResult NextName(const std::string& extension, std::string* path, bool reserve = true);
    // Mode 0: the user's choice when "Prompt for Filename" is set and the job
    // has not asked yet, else a millisecond time stamp; `path` as NextName's.
    NameResult CollectName(const std::string& extension, int formatCode, bool prompt, bool& asked,
                           std::string* path);

    // Gives the whole file `path` (one NextName or CollectName made) its
    // name: the existing file it replaces when the user said so, else the
    // name or, when another file took it meanwhile, its first free "_N"
    // variant. Returns the name the file now has (`path` when it could not
    // be renamed).
    std::string Settle(const std::string& path);
    // The name `path` is to take (itself when it is no file of this namer).
    std::string Intended(const std::string& path) const;
    // Deletes the unfinished file `path` (it takes no name).
    void Discard(const std::string& path);

    const NamingSettings& Settings() const { return settings_; }
    const std::string& Folder() const { return folder_; }
    // The date-and-time text of `t` by the settings (without counter and extension).
    std::string DateTimeStem(const SYSTEMTIME& t) const;

private:
    NameResult reserve(const std::string& name, std::string* path, bool create = true);
    // The temporary file beside `target` (a free name, or the file replaced).
    NameResult writeBeside(const std::string& target, bool replace, std::string* path);

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
    struct Pending {
        std::string name;
        bool replace = false;  // the user had the existing file of that name replaced
    };
    std::map<std::string, Pending> pending_;  // the file being written -> its name
};

}  // namespace keyrider
