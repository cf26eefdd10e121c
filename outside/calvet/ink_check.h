// Whether a page holds ink that its text does not explain: the page is drawn
// at a low resolution without its text, and every dark dot outside the
// (slightly widened) text boxes counts. Such a page (pictures, rules,
// drawings) cannot be converted whole.
//
// The pages are drawn ahead on a thread of their own, from a second opening
// of the file, while the caller reads their text; one drawing device serves
// every page, so fonts and caches are set up once.
#pragma once

#include "outside/calvet/page_layout.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rtfconv {

// Resolution of the check; a glyph's spill at this size stays within the margin.
constexpr double kInkCheckDpi = 36;

// The dark dots of one drawn page (text left out). Most pages of text have
// none, so only the dark ones are kept.
struct InkMap {
    bool drawn = false;  // false: the page could not be drawn (counts as ink)
    int width = 0, height = 0;
    std::vector<std::uint32_t> dark;  // y * width + x of each dark dot, in order
};

// True when `map` has a dark dot outside `boxes` (points, y down, widened by
// a margin), or when the page could not be drawn.
bool HasInkOutside(const InkMap& map, const std::vector<Box>& boxes);

class InkPages {
public:
    // Draws pages first..last (from 1) of the file at `nativePath`, opened
    // with `password` (empty: none).
    InkPages(const std::string& nativePath, const std::string& password, int first, int last);
    ~InkPages();
    InkPages(const InkPages&) = delete;
    InkPages& operator=(const InkPages&) = delete;

    // The check of page `page` against its text boxes; waits for its drawing.
    bool HasInkOutside(int page, const std::vector<Box>& boxes);

private:
    void drawAll(std::string path, std::string password);

    int m_first, m_last;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<int, InkMap> m_ready;  // drawn and not yet asked for
    int m_wanted;                    // the next page the caller will ask for
    bool m_stop = false;
    std::thread m_worker;
};

}  // namespace rtfconv
