#include "keyrider/confirm_prefix_model.h"

#include <algorithm>
#include <strings.h>

#include "keyrider/output_naming.h"

namespace keyrider {

namespace {
std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}
}  // namespace

ConfirmPrefixModel::ConfirmPrefixModel(std::string prefix, std::string folder) : prefix_(std::move(prefix)) {
    if (!IsValidPrefix(prefix_)) prefix_.clear();
    folder = WithSeparator(std::move(folder));
    if (!folder.empty()) folders_.push_back(folder);
}

bool ConfirmPrefixModel::Edit(const std::string& typed) {
    if (!IsValidPrefix(typed)) return false;
    prefix_ = typed;
    return true;
}

void ConfirmPrefixModel::ChooseFolder(std::string folder) {
    folder = WithSeparator(std::move(folder));
    if (folder.empty()) return;
    auto same = [&](const std::string& f) { return strcasecmp(f.c_str(), folder.c_str()) == 0; };
    folders_.erase(std::remove_if(folders_.begin(), folders_.end(), same), folders_.end());
    folders_.insert(folders_.begin(), folder);
    if (folders_.size() > kMaxFolders) folders_.resize(kMaxFolders);
}

}  // namespace keyrider
