// A page read through the stand-in engines along the program's path: layout
// analysis (Plenmar), then the text areas in list order to Tresk (Chinese
// pages) or Pendril20 (English pages), tables read cell by cell after Fremlin
// found their grid. Each character comes with its candidates.
#pragma once

#include <string>
#include <vector>

#include "outside/include/fremlin.h"
#include "outside/include/pendril20.h"
#include "outside/include/plenmar.h"
#include "outside/include/tresk.h"
#include "outside/tests/loader.h"
#include "outside/tests/pages.h"

namespace bench {

struct EngineLibraries {
    testpages::Library plenmar{PLENMAR_DLL}, tresk{TRESK_DLL}, pendril{PENDRIL20_DLL}, fremlin{FREMLIN_DLL};
    PFN_PLENMAR_SEG seg = plenmar.get<PFN_PLENMAR_SEG>("seg");
    PFN_PLENMAR_DELLINK del = plenmar.get<PFN_PLENMAR_DELLINK>("DelLink");
    PFN_OR_CHN40_INIT init = tresk.get<PFN_OR_CHN40_INIT>("OR_CHN40_Init");
    PFN_OR_CHN40_SEGIMG segImg = tresk.get<PFN_OR_CHN40_SEGIMG>("OR_CHN40_SegImg");
    PFN_OR_CHN40_RECOG recog = tresk.get<PFN_OR_CHN40_RECOG>("OR_CHN40_Recog");
    PFN_OR_CHN40_FREESEGINFO freeSeg = tresk.get<PFN_OR_CHN40_FREESEGINFO>("OR_CHN40_FreeSegInfo");
    PFN_TRESK_FREERESULT freeResult = tresk.ordinal<PFN_TRESK_FREERESULT>(TRESK_ORDINAL_FREERESULT);
    PFN_OR_PENDRIL20_RECOGIMG_ENGSTR recogEng = pendril.get<PFN_OR_PENDRIL20_RECOGIMG_ENGSTR>("OR_PENDRIL20_RECOGIMG_ENGSTR");
    PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR freeEng = pendril.get<PFN_OR_PENDRIL20_FREERGNINFO_ENGSTR>("OR_PENDRIL20_FREERGNINFO_ENGSTR");
    PFN_FREMLIN_EXTRACT extract = fremlin.ordinal<PFN_FREMLIN_EXTRACT>(FREMLIN_ORDINAL_EXTRACT);
    PFN_FREMLIN_FREE freeGrid = fremlin.ordinal<PFN_FREMLIN_FREE>(FREMLIN_ORDINAL_FREE);

    // As the program does at start (the candidates' glyphs are drawn then).
    EngineLibraries();
};

struct Block {
    bool vertical;
    RECT r;
};

// One recognised character: the chosen reading first, then the other candidates.
using Candidates = std::vector<std::string>;

// A reading of a page: the characters in list order with their candidates.
struct Reading {
    std::vector<Candidates> chars;
    std::string text;
};

// Layout analysis, then the blocks the program would hand to the engines:
// text areas as they are, tables cell by cell on the plane with their rules
// erased, pictures left out. segSeconds gets the time of the analysis.
std::vector<Block> layoutBlocks(EngineLibraries& libs, testpages::Plane& p, int dpi, double& segSeconds);

Reading readEnglish(EngineLibraries& libs, testpages::Plane& p, const std::vector<Block>& list);
Reading readChinese(EngineLibraries& libs, testpages::Plane& p, const std::vector<Block>& list, bool traditional);

}  // namespace bench
