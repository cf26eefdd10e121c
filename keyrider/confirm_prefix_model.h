// The state of the Confirm Prefix Name dialog: the prefix being typed (kept
// only while it can name files), the folder list with the chosen folder on
// top, and the "ask again" check box.
#pragma once

#include <string>
#include <vector>

namespace keyrider {

class ConfirmPrefixModel {
public:
    // The longest folder list; the last folder drops out above it.
    static constexpr std::size_t kMaxFolders = 10;

    ConfirmPrefixModel(std::string prefix, std::string folder);

    const std::string& Prefix() const { return prefix_; }
    // Takes `typed` when it can name files and returns true; else keeps the
    // prefix as it was and returns false (the dialog then beeps and shows
    // message 10).
    bool Edit(const std::string& typed);
    const std::vector<std::string>& Folders() const { return folders_; }
    // A folder chosen by the browser or the list goes to the top.
    void ChooseFolder(std::string folder);
    bool keepAsking = true;

private:
    std::string prefix_;
    std::vector<std::string> folders_;
};

}  // namespace keyrider
