// Walks arbitrary bytes as a menu template and checks that the levels the
// builder is told of nest: never a close without an open level, every item
// inside the bar, and a complete walk closes the bar and every popup.
#include <cstdint>
#include <cstdlib>

#include "textory/menu_template_walk.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

class NestingCheck : public textory::MenuTemplateBuilder {
public:
    void OpenPopup(UINT flags, const std::u16string&) override {
        Require(open > 0 && (flags & 0x80u) == 0);
        ++open;
    }
    void AddItem(UINT flags, UINT, const std::u16string&) override { Require(open > 0 && (flags & 0x80u) == 0); }
    void CloseLevel() override {
        Require(open > 0);
        --open;
    }
    long open = 1;  // the bar
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    NestingCheck check;
    const bool complete = textory::WalkMenuTemplate(data, size, &check);
    Require(complete == textory::WalkMenuTemplate(data, size, nullptr));
    if (complete) Require(check.open == 0);
    return 0;
}
