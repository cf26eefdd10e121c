// Compiles arbitrary text as a resource script; it must fail cleanly or give
// resources whose templates the loader reads back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/afx/core/rc/rc_compiler.h"
#include "platform/afx/core/resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    suite::rc::Result r = suite::rc::CompileText(text, "/nonexistent/fuzz.rc", {});
    for (const suite::rc::Resource& res : r.resources) {
        if (res.type == 4) {
            CMenuTemplate menu;
            if (!AfxParseMenuTemplate(res.data.data(), static_cast<DWORD>(res.data.size()), menu)) __builtin_trap();
        } else if (res.type == 5) {
            CDialogTemplate dialog;
            if (!AfxParseDialogTemplate(res.data.data(), static_cast<DWORD>(res.data.size()), dialog)) __builtin_trap();
        } else if (res.type == 241) {
            CToolBarTemplate bar;
            if (!AfxParseToolBarTemplate(res.data.data(), static_cast<DWORD>(res.data.size()), bar)) __builtin_trap();
        }
    }
    return 0;
}
