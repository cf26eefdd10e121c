// The wizard of the DDE export plug-in in the host's window with a tree: its
// pages, the summary items, the input states it posts and its refusals.
#include <cstdlib>

#include "plugins/tests/moplink_host.h"

namespace {

using namespace moplink_test;

inline std::vector<std::string> Children(CTreeCtrl& tree, HTREEITEM item) {
    std::vector<std::string> out;
    for (HTREEITEM c = tree.GetChildItem(item); c; c = tree.GetNextSiblingItem(c))
        out.emplace_back(static_cast<LPCSTR>(tree.GetItemText(c)));
    return out;
}

inline std::vector<std::string> Roots(CTreeCtrl& tree) {
    std::vector<std::string> out;
    for (HTREEITEM c = tree.GetRootItem(); c; c = tree.GetNextSiblingItem(c))
        out.emplace_back(static_cast<LPCSTR>(tree.GetItemText(c)));
    return out;
}


}  // namespace
