#include "textory/workflow/path_history.h"

#include <iterator>

#include "textory/names/scan_series.h"

void CPathHistory::Append(const std::string& path) { paths_.push_back(path); }

bool CPathHistory::PopOldest(std::string& out) {
    if (paths_.empty()) return false;
    out = paths_.front();
    paths_.pop_front();
    return true;
}

bool CPathHistory::RemoveAt(int position, std::string& out) {
    if (position < 0 || position >= GetCount()) return false;
    auto it = std::next(paths_.begin(), position);
    out = *it;
    paths_.erase(it);
    return true;
}

bool CPathHistory::RemoveNewestAt(int position, std::string& out) {
    if (position < 0 || position >= GetCount()) return false;
    return RemoveAt(GetCount() - 1 - position, out);
}

void CPathHistory::SetNewest(const std::string& path) {
    if (paths_.empty()) paths_.push_back(path);
    else paths_.back() = path;
}

int CPathHistory::Find(const std::string& path) const {
    if (path.empty()) return -1;
    int position = 0;
    for (auto it = paths_.rbegin(); it != paths_.rend(); ++it, ++position)
        if (textory::IsSameSeries(*it, path)) return position;
    return -1;
}

void CPathHistory::AddPath(const std::string& path) {
    const int found = Find(path);
    if (found == 0) {
        SetNewest(path);
        return;
    }
    std::string dropped;
    if (found > 0) {
        RemoveNewestAt(found, dropped);
        Append(path);
        return;
    }
    const bool full = GetCount() > kMaxEntries - 1;
    Append(path);
    if (full) PopOldest(dropped);
}

std::vector<std::string> CPathHistory::NewestFirst() const { return {paths_.rbegin(), paths_.rend()}; }
