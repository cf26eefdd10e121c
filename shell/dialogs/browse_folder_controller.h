// What the folder browser decides, without its window: which selected folder
// may be chosen, what the user typed into its edit box, and the check of a
// typed folder with its creation. Paths are Windows-style; a native absolute
// path ("/...") is taken in its Windows form (a mapped drive).
#pragma once

#include <functional>
#include <string>

class CBrowseFolderController {
public:
    // Results of CheckFolder.
    static constexpr int kFolderReady = 0;
    static constexpr int kFolderInvalid = 1;
    static constexpr int kFolderNotCreated = 2;
    static constexpr int kFolderDeclined = -1;
    // The longest folder text taken from the edit box; longer ones are refused.
    static constexpr std::size_t kMaxPath = 260;

    // Asks the user (the text, yes/no); true for yes.
    using AskFn = std::function<bool(const std::string& question)>;

    // A selection in the folder tree: OK is enabled, and the status line and
    // the edit box show the path, only for a path on a drive.
    struct Selection {
        bool okEnabled = false;
        std::string shown;  // empty when the path cannot be chosen
    };
    static Selection Select(const std::string& path);
    // Typing into the edit box: OK is enabled while it holds text.
    static bool OkEnabledForText(const std::string& text) { return !text.empty(); }

    // Checks the typed folder and creates it when the user agrees. On
    // kFolderReady `path` is the folder (Windows form); on kFolderInvalid and
    // kFolderNotCreated `message` is what to show; kFolderDeclined shows nothing.
    static int CheckFolder(const std::string& typed, const AskFn& ask, std::string& path, std::string& message);

    // The folder's Windows form: a native absolute path through its drive,
    // anything else as it stands.
    static std::string WindowsForm(const std::string& path);
    // Whether each part of the path after "X:\" is a valid folder name.
    static bool HasValidParts(const std::string& path);
};
