// Any bytes as a conversation frame: decoding never reads past its input,
// and a decoded frame encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/afx/ui/dde_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    afx_detail::DdeFrame f;
    if (!afx_detail::DecodeDdeFrame(data, size, &f)) return 0;
    std::vector<std::uint8_t> again = afx_detail::EncodeDdeFrame(f);
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0) std::abort();
    return 0;
}
