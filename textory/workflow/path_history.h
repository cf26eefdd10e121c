// The scan targets used lately, newest last, at most 10, one per series
// (see IsSameSeries). Paths are kept whole, however long.
#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <vector>

class CPathHistory {
public:
    static constexpr int kMaxEntries = 10;

    void Append(const std::string& path);
    // Takes the oldest entry out; FALSE when there is none.
    bool PopOldest(std::string& out);
    // Takes out the entry at `position` counted from the oldest (0) or from
    // the newest (0); FALSE, nothing changed, for a position not held.
    bool RemoveAt(int position, std::string& out);
    bool RemoveNewestAt(int position, std::string& out);
    // Replaces the newest entry (appends when empty).
    void SetNewest(const std::string& path);
    int GetCount() const { return static_cast<int>(paths_.size()); }
    // The position from the newest of the entry of the same series; -1 when
    // none (and for an empty path).
    int Find(const std::string& path) const;
    // A path of the newest series renames that entry; one of an older series
    // moves it to the newest place; a new series is appended, and the oldest
    // dropped beyond 10 entries.
    void AddPath(const std::string& path);
    // Newest first, as the scan-to combo lists them.
    std::vector<std::string> NewestFirst() const;

private:
    std::list<std::string> paths_;  // oldest first
};
