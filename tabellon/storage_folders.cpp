// The storage-folder list: taking a new list, renumbering page values, and
// moving the pages of folders that leave the list.
//
// Pages are first copied (or linked, on one volume) into their new folders,
// then every page value is rewritten in one transaction, and only then are
// the old files deleted: a crash at any point leaves every page reachable
// under the list it was last written for.
#include <cstring>
#include <functional>

#include "tabellon/doc_database.h"
#include "tabellon/store_system.h"

namespace tabellon {

namespace {

int indexIn(const std::vector<std::string>& list, const std::string& folder) {
    for (size_t i = 0; i < list.size(); ++i)
        if (suite::SameName(list[i], folder) || sys::sameFile(list[i], folder)) return int(i);
    return -1;
}

// A name for `leaf` in `folder` that no file has yet: the same name when free.
std::string freeNameIn(const std::string& folder, const std::string& leaf) {
    std::string path = folder + "/" + leaf;
    if (!sys::fileExists(path) && !sys::fileExists(path + ".Thn")) return path;
    size_t dot = leaf.find_last_of('.');
    std::string stem = dot == std::string::npos ? leaf : leaf.substr(0, dot);
    std::string ext = dot == std::string::npos ? "" : leaf.substr(dot);
    for (unsigned n = 1;; ++n) {
        path = folder + "/" + stem + "-" + std::to_string(n) + ext;
        if (!sys::fileExists(path) && !sys::fileExists(path + ".Thn")) return path;
    }
}

}  // namespace

void CDocDatabase::SetStorageFolders(const DB_STORAGECONFIG* config) {
    if (!config || refs_ == 0) return;
    std::vector<std::string> hostList, list;  // as the host spelled them, and native
    if (config->Folders)
        for (DWORD i = 0; i < config->Folders->Count; ++i)
            hostList.emplace_back(config->Folders->Paths[i], strnlen(config->Folders->Paths[i], 260));
    for (const std::string& f : hostList) {
        if (!sys::folderExists(f)) sys::createFolder(f);
        list.push_back(sys::nativePath(f));
    }
    auto keepSettings = [&] {
        thumbSize_ = config->ThumbnailSize;
        defaultFolderName_.assign(config->DefaultFolderName, strnlen(config->DefaultFolderName, 260));
        defaultDocName_.assign(config->DefaultDocName, strnlen(config->DefaultDocName, 260));
        reserved_[0] = config->Reserved1;
        reserved_[1] = config->Reserved2;
        moveProgress_ = config->Progress;
    };
    if (!haveFolders_ || !top_) {
        folders_ = list;
        hostFolders_ = hostList;
        haveFolders_ = true;
        keepSettings();
        return;
    }
    try {
        // Every page of the store, with where it lies now.
        struct Page {
            std::string docPath;
            DWORD index;
            DWORD folder;  // 1-based in the old list
            std::string name;
            DWORD newFolder = 0;  // 1-based in the final list, 0 while unknown
            std::string newName;
        };
        std::vector<Page> pages;
        std::function<void(const Level&)> walk = [&](const Level& level) {
            for (const Node& n : level.nodes) {
                if (!n.isDoc) {
                    if (n.children) walk(*n.children);
                    continue;
                }
                NodeKey k = nodeKey(n.path);
                for (DWORD i = 1; i <= n.totalPages; ++i) {
                    try {
                        PageRef r = readPage(k.h, i);
                        pages.push_back({n.path, i, r.folder, r.name, 0, {}});
                    } catch (const DbError&) {
                    }
                }
            }
        };
        walk(*top_);
        std::vector<std::string> old = folders_;
        std::vector<int> leaving;
        for (size_t i = 0; i < old.size(); ++i)
            if (indexIn(list, old[i]) < 0) leaving.push_back(int(i));

        Change change(*this);
        std::vector<std::string> finalList = list, finalHost = hostList;
        if (!leaving.empty()) {
            std::uint64_t total = 0, moved = 0;
            for (const Page& p : pages)
                if (indexIn(list, old[p.folder - 1]) < 0) {
                    std::string path = old[p.folder - 1] + "/" + p.name;
                    total += sys::fileSize(path).value_or(0) + sys::fileSize(path + ".Thn").value_or(0);
                }
            bool stopped = false;
            std::vector<int> stayed;  // old indexes of leaving folders that keep pages
            for (int from : leaving) {
                bool kept = false;
                for (Page& p : pages) {
                    if (int(p.folder) - 1 != from) continue;
                    std::string source = old[from] + "/" + p.name;
                    std::uint64_t size = sys::fileSize(source).value_or(0);
                    std::uint64_t thumb = sys::fileSize(source + ".Thn").value_or(0);
                    if (!stopped) {
                        // A folder on the same volume takes the page as a second name of its file.
                        for (size_t j = 0; j < list.size() && !p.newFolder; ++j) {
                            std::string target = freeNameIn(list[j], p.name);
                            if (!sys::linkNew(source, target)) continue;
                            change.created(target);
                            if (sys::fileExists(source + ".Thn") && (sys::linkNew(source + ".Thn", target + ".Thn") ||
                                                                     sys::copyReplace(source + ".Thn", target + ".Thn")))
                                change.created(target + ".Thn");
                            p.newFolder = DWORD(j + 1);
                            p.newName = sys::leafOf(target);
                        }
                        for (size_t j = 0; j < list.size() && !p.newFolder; ++j) {
                            auto free = sys::freeSpace(list[j]);
                            if (!free || *free <= size + thumb + 44) continue;
                            std::string target = freeNameIn(list[j], p.name);
                            if (!sys::copyNew(source, target)) continue;
                            change.created(target);
                            if (sys::fileExists(source + ".Thn") && sys::copyReplace(source + ".Thn", target + ".Thn"))
                                change.created(target + ".Thn");
                            p.newFolder = DWORD(j + 1);
                            p.newName = sys::leafOf(target);
                        }
                        sys::crashPoint("storage:page");
                    }
                    if (p.newFolder) {
                        moved += size + thumb;
                        change.obsolete(source);
                        change.obsolete(source + ".Thn");
                    } else {
                        kept = true;
                    }
                    if (!stopped && config->Progress &&
                        config->Progress(DWORD(total), DWORD(total >> 32), DWORD(moved), DWORD(moved >> 32)) == 0)
                        stopped = true;
                }
                if (kept) stayed.push_back(from);
            }
            for (int from : stayed) {
                finalList.push_back(old[from]);
                finalHost.push_back(hostFolders_[size_t(from)]);
            }
        }
        // Every value now names its folder by its number in the final list.
        for (Page& p : pages) {
            if (!p.newFolder) {
                p.newFolder = DWORD(indexIn(finalList, old[p.folder - 1]) + 1);
                p.newName = p.name;
            }
            if (p.newFolder == p.folder && p.newName == p.name) continue;
            NodeKey k = nodeKey(p.docPath);
            reg::setString(k.h, std::to_string(p.index).c_str(), std::to_string(p.newFolder) + "," + p.newName);
        }
        sys::crashPoint("storage:values");
        change.commit();
        folders_ = finalList;
        hostFolders_ = finalHost;
    } catch (...) {
        // The old list stays: every value still names a folder of it.
        return;
    }
    keepSettings();
}

}  // namespace tabellon
