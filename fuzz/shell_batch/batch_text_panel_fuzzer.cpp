// Any bytes as pieces for the batch window's text panel: the first two
// bytes choose the panel's lines and columns (also beyond the buffer), the
// rest is cut into pieces at zero bytes. Every line stays within its bound
// and the current line within the buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/batch/batch_text_panel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    CBatchTextPanel panel;
    panel.SetGeometry(static_cast<int8_t>(data[0]), static_cast<int8_t>(data[1]) * 2);
    std::string piece;
    for (size_t i = 2; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            panel.AddText(piece.c_str());
            piece.clear();
            if (i + 1 < size && data[i + 1] == 0xFF) panel.SetGeometry(data[i] % 20, 90);
            continue;
        }
        piece += static_cast<char>(data[i]);
    }
    if (panel.CurrentLine() < -1 || panel.CurrentLine() >= CBatchTextPanel::kMaxLines) std::abort();
    for (int line = 0; line < CBatchTextPanel::kMaxLines; ++line)
        if (std::strlen(panel.Line(line)) > static_cast<size_t>(CBatchTextPanel::kMaxColumns)) std::abort();
    return 0;
}
