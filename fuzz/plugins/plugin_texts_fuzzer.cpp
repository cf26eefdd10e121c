// Any bytes as the plug-ins' registry texts ("Support Resolution", "Extra
// Language", language entries, the numeric language): parsing never reads
// past the text's buffer, keeps its bounds, and what is kept reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plugins/common/bracket_argument.h"
#include "plugins/common/registry_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<DWORD> resolutions = plugins::ParseSupportResolution(text);
    // At most one resolution for every two bytes the buffer holds, none zero.
    if (resolutions.size() > plugins::kSupportResolutionBuffer / 2) std::abort();
    for (DWORD dpi : resolutions)
        if (dpi == 0) std::abort();

    std::vector<DWORD> ids = plugins::ParseExtraLanguage(text);
    if (ids.size() > plugins::kMaxSecondaryLanguages) std::abort();
    if (plugins::ParseExtraLanguage(plugins::FormatExtraLanguage(ids)) != ids) std::abort();

    plugins::LanguageEntry entry;
    if (plugins::ParseLanguageEntry(text, &entry)) {
        if (entry.name.size() >= plugins::kLanguageEntryBuffer) std::abort();
        if (!entry.file.empty() && entry.flag != "1") std::abort();
    }
    plugins::NumericLanguage numeric = plugins::ParseNumericLanguage(text);
    if (numeric.name.empty() || numeric.name.size() >= plugins::kLanguageEntryBuffer) std::abort();

    std::string command = plugins::BracketCommand("[EXPORT]", text);
    if (!command.empty() && (command.find(',') != std::string::npos ||
                             command.find(')') != command.size() - 1))
        std::abort();
    return 0;
}
