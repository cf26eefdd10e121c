#include "keyrider/scan_settings_reader.h"

#include <cstdlib>
#include <cstring>

namespace keyrider {

namespace {
double Number(const JobProfile& p, const char* key) {
    std::string text = p.String("Global Setting", key, "0");
    return std::strtod(text.c_str(), nullptr);
}
}  // namespace

void ReadScanSettings(const JobProfile& p, const ScanSettingsSources& src, SCAN_SETTINGS* b, EdgeFillGlobals* edge) {
    std::memset(b, 0, sizeof *b);
    const std::string& section = src.section;
    const std::string source = section + "\\" + src.sourceName;
    auto get = [&](const char* key, int def) { return LONG(p.Int(source, key, def)); };
    b->Source = LONG(p.Int(section, "Source", 0)) - 1;
    b->Side = LONG(p.Int(section, "Side", 0));
    // One colour mode for the job: the button's "Mode" (0 colour, 1 gray, 2
    // black and white), which also picks the section of its file settings,
    // rules the scan; the source's own "Mode" (counted from 1) only without it.
    const int buttonMode = p.Int(section, "Mode", -1);
    const LONG scanMode = buttonMode >= 0 && buttonMode <= 2 ? LONG(buttonMode) : get("Mode", 1) - 1;
    b->Mode = scanMode;
    b->RotateFront = get("Rotate Front", 0);
    b->RotateRear = get("Rotate Rear", 0);
    b->Rotate = b->RotateFront;
    b->Brightness = get("Brightness", 0);
    b->Contrast = get("Contrast", 0);
    b->Gamma = get("Gamma", 100);
    b->Threshold = get("Threshold", 128);
    b->Resolution = get("Resolution", 200);
    b->ColorDropOut = get("Color DropOut", 0);
    b->AutoDeskew = get("Auto Deskew", 0);
    b->AutoDensity = get("Auto Density", 0);
    b->AutoCrop = get("Auto Crop", 0);
    b->AutoThreshold = get("Auto Threshold", 0);
    b->ColorMatch = get("ColorMatch", 0);
    b->MultiplePage = get("Multiple Page", 0);
    b->RemoveBlankPage = get("Remove Blank Page", 0);
    if (get("CustomPaperID", 0) == 0) {
        const LONG paper = get("PaperID", 8);
        b->PaperIsDefault = paper == 8 ? 1 : 0;
        // An index outside the table leaves the area zero.
        if (paper >= 1 && std::size_t(paper) <= src.papers.size())
            for (int i = 0; i < 4; ++i) b->PaperArea[i] = LONG(src.papers[std::size_t(paper - 1)].Area[i]);
    }
    if (get("Duplex Merge", 0)) {
        b->MergeFlags = 2;
        if (get("Manual Adjust", 0)) b->MergeFlags |= 8;
        if (get("Merge Horizontal", 0)) b->MergeFlags |= 4;
    }
    b->IsCustomPaper = get("Is Custom Paper", 0);
    b->DefaultPaperIndex = get("DefaultPaperIndex", 1) - 1;
    b->CustomPaperId = get("CustomID", 1);
    b->Descreen = get("Descreen", 1) - 1;
    b->Mode2 = scanMode;
    if (src.blankPages) {
        const int level = p.Int("Global Setting", "Remove Blank Page Sensitivity", 0);
        UTILITY_BLANKPAGE row = src.blankPages->RowOrZero(level);
        b->BlankThreshold[0] = LONG(row.Color);
        b->BlankThreshold[1] = LONG(row.Gray);
        b->BlankThreshold[2] = LONG(row.BW);
    }
    b->AutoRotate = get("Auto Rotate", 0);
    b->SheetOrBook = get("Sheet or Book", 0);
    b->BookMode = get("BookMode", 0);
    b->EdgeFill = get("Edge Fill", 0);
    b->AutoSourceSide = get("Auto Source Side", 0);
    b->MultiFeed = get("Multi Feed", 0);
    if (edge) {
        *edge = EdgeFillGlobals{};
        edge->color = p.Int("Global Setting", "Color", 0);
        edge->gray = p.Int("Global Setting", "Gray", 0);
        edge->bw = p.Int("Global Setting", "BW", 0);
        edge->allSame = p.Int("Global Setting", "All Same", 0);
        edge->top = Number(p, "Top");
        edge->left = Number(p, "Left");
        edge->right = Number(p, "Right");
        edge->bottom = Number(p, "Bottom");
        if (p.Int("Global Setting", "Unit", 1) != 0) edge->flags |= 2;
    }
}

}  // namespace keyrider
