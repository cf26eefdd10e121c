#include "textory/names/scan_series.h"

#include "ocrdoc/document/ocr_doc.h"
#include "platform/win/codepage.h"
#include "platform/win/files.h"
#include "textory/names/path_parts.h"

namespace textory {
namespace {

constexpr int kCounterTries = 1001;

bool endsInCounter(const std::string& stem) {
    if (stem.size() <= 2) return false;
    for (std::size_t i = stem.size() - 3; i < stem.size(); ++i)
        if (stem[i] < '0' || stem[i] > '9') return false;
    return true;
}

}  // namespace

bool IsSameSeries(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    const PathParts pa = SplitWholePath(suite::AnsiToLower(a));
    const PathParts pb = SplitWholePath(suite::AnsiToLower(b));
    if (pa.drive != pb.drive || pa.folder != pb.folder || pa.ext != pb.ext) return false;
    if (pa.stem == pb.stem) return true;
    if (!endsInCounter(pa.stem) || !endsInCounter(pb.stem)) return false;
    return pa.stem.substr(0, pa.stem.size() - 3) == pb.stem.substr(0, pb.stem.size() - 3);
}

std::string IncrementCounterSuffix(const std::string& path) { return COcrDoc::AdvanceScanName(path, 1); }

bool NextFreeCounterName(std::string& path) {
    std::string candidate = path;
    for (int i = 0; i < kCounterTries; ++i) {
        candidate = IncrementCounterSuffix(candidate);
        if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) {
            path = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace textory
