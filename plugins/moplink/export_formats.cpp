#include "plugins/moplink/export_formats.h"

namespace moplink {

const std::vector<ExportFormat>& AllFormats() {
    static const std::vector<ExportFormat> formats = {
        {1, 2, "Html", "[FMTTEXT](34,1,0)", "htm", false, false},
        {2, 3, "Txt", "[FMTTEXT](14,1,0)", "txt", false, false},
        {8, 4, "Rtf", "[FMTTEXT](29,1,0)", "rtf", false, false},
        {512, 5, "PDF Image Only", "[FMTTEXT](53,1,0)", "pdf", true, true},
        {1024, 6, "PDF Text Only", "[FMTTEXT](53,1,0)", "pdf", false, true},
        {2048, 7, "PDF ImageText", "[FMTTEXT](54,1,0)", "pdf", false, true},
        {4096, 8, "PDF TextImage", "[FMTTEXT](75,1,0)", "pdf", true, true},
    };
    return formats;
}

const ExportFormat* FindFormat(UINT code) {
    for (const ExportFormat& f : AllFormats())
        if (f.code == code) return &f;
    return nullptr;
}

DWORD FormatsOffered(bool version10) { return version10 ? 0x1E0B : 0x0C0B; }

}  // namespace moplink
