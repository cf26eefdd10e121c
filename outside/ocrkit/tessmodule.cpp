// The recognition module: Tesseract behind the ocrkit::Engine interface.

#include <algorithm>
#include <leptonica/allheaders.h>
#include <memory>
#include <string>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include "outside/ocrkit/tess.h"

namespace ocrkit {

namespace {

// The API with its left-to-right result iterator reachable: the bidi-aware
// one works out the order of each line's words again at every step, which
// no text read here needs.
class Api : public tesseract::TessBaseAPI {
public:
    using tesseract::TessBaseAPI::GetLTRIterator;
};

class TessEngine : public Engine {
public:
    Api api;
    bool recognise(Pix* page, const Box& box, bool vertical, const CancelCheck& cancel,
                   std::vector<Line>& lines) override;
    // Recognises box of page in the given mode.
    bool read(Pix* page, const Box& box, tesseract::PageSegMode mode, const CancelCheck& cancel, std::vector<Line>& lines);
    ~TessEngine() override { api.End(); }
};

struct CancelContext {
    const CancelCheck* check;
    bool cancelled;
};

bool cancelThunk(void* data, int) {
    auto* ctx = static_cast<CancelContext*>(data);
    if (!ctx->cancelled && *ctx->check && (*ctx->check)()) ctx->cancelled = true;
    return ctx->cancelled;
}

Box iteratorBox(const tesseract::PageIterator& it, tesseract::PageIteratorLevel level) {
    int l, t, r, b;
    if (!it.BoundingBox(level, &l, &t, &r, &b)) return Box{};
    return Box{l, t, r - 1, b - 1};
}

std::string takeText(char* s) {
    std::string out = s ? s : "";
    delete[] s;
    return out;
}

// Alternatives of the symbol the iterator stands on, after the symbol's own
// reading: first the recogniser's choices for the symbol, then the readings
// that were among the top ones at the steps of the network the symbol covers
// (where the right character of a misread Latin letter often is), each group
// by its score. Step readings rank below the symbol's choices: with models
// that spell a character in several steps they are often parts of others.
std::vector<Choice> choicesOf(const tesseract::LTRResultIterator& it, const std::string& own, float ownConfidence) {
    std::vector<Choice> choices, steps;
    auto note = [&](std::vector<Choice>& list, const char* text, float p) {
        if (!text || !*text || own == text) return;
        for (Choice& c : list)
            if (c.utf8 == text) {
                c.confidence = std::max(c.confidence, p);
                return;
            }
        list.push_back({text, p});
    };
    tesseract::ChoiceIterator ci(it);
    if (auto* timesteps = ci.Timesteps())
        for (const auto& step : *timesteps)
            for (const auto& [text, p] : step) note(steps, text, p * 100.0f);
    do {
        note(choices, ci.GetUTF8Text(), ci.Confidence() * 100.0f);
    } while (ci.Next());
    auto byScore = [](const Choice& a, const Choice& b) { return a.confidence > b.confidence; };
    std::stable_sort(choices.begin(), choices.end(), byScore);
    std::stable_sort(steps.begin(), steps.end(), byScore);
    std::vector<Choice> out{{own, ownConfidence}};
    for (auto* list : {&choices, &steps})
        for (Choice& c : *list) {
            bool seen = false;
            for (const Choice& o : out) seen = seen || o.utf8 == c.utf8;
            if (!seen && out.size() < 16) out.push_back(std::move(c));
        }
    return out;
}

// Whether the lines the block was cut into are pieces of one line: each
// shares most of its height with the others' and lies beside them or is a
// sliver (the top strokes of broken characters). The line finder cuts short
// lines of light, broken characters (a table cell) into such pieces.
bool piecesOfOneLine(const std::vector<Line>& lines) {
    if (lines.size() < 2) return false;
    for (std::size_t i = 0; i < lines.size(); ++i)
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            const Box& a = lines[i].box;
            const Box& b = lines[j].box;
            const int lower = std::min(a.height(), b.height()), higher = std::max(a.height(), b.height());
            const int across = std::min(a.bottom, b.bottom) - std::max(a.top, b.top) + 1;
            const int along = std::min(a.right, b.right) - std::max(a.left, b.left) + 1;
            if (across * 2 < lower) return false;
            const bool beside = along * 4 < std::min(a.width(), b.width());
            const bool sliver = lower * 2 < higher;
            if (!beside && !sliver) return false;
        }
    return true;
}

bool TessEngine::recognise(Pix* page, const Box& boxIn, bool vertical, const CancelCheck& cancel,
                       std::vector<Line>& lines) {
    lines.clear();
    if (!page) return false;
    int pw = pixGetWidth(page), ph = pixGetHeight(page);
    // A few pixels of margin help the line finder with tightly cut blocks.
    Box box{std::max(boxIn.left - 4, 0), std::max(boxIn.top - 4, 0), std::min(boxIn.right + 4, pw - 1),
            std::min(boxIn.bottom + 4, ph - 1)};
    if (box.empty()) return true;
    if (!read(page, box, vertical ? tesseract::PSM_SINGLE_BLOCK_VERT_TEXT : tesseract::PSM_SINGLE_BLOCK, cancel, lines))
        return false;
    // Pieces of one line are read again as the one line they are (unless
    // nothing comes of that).
    if (!vertical && piecesOfOneLine(lines)) {
        std::vector<Line> whole;
        if (!read(page, box, tesseract::PSM_SINGLE_LINE, cancel, whole)) return false;
        if (!whole.empty()) lines = std::move(whole);
    }
    return true;
}

bool TessEngine::read(Pix* page, const Box& box, tesseract::PageSegMode mode, const CancelCheck& cancel,
                      std::vector<Line>& lines) {
    lines.clear();
    api.SetImage(page);
    api.SetSourceResolution(300);
    api.SetPageSegMode(mode);
    api.SetRectangle(box.left, box.top, box.width(), box.height());
    tesseract::ETEXT_DESC monitor;
    CancelContext ctx{&cancel, false};
    monitor.cancel = &cancelThunk;
    monitor.cancel_this = &ctx;
    int rc = api.Recognize(&monitor);
    if (ctx.cancelled || rc != 0) {
        api.Clear();
        return false;
    }
    std::unique_ptr<tesseract::LTRResultIterator> it(api.GetLTRIterator());
    if (!it) {
        api.Clear();
        return true;
    }
    using tesseract::RIL_PARA;
    using tesseract::RIL_SYMBOL;
    using tesseract::RIL_TEXTLINE;
    using tesseract::RIL_WORD;
    it->Begin();
    do {
        if (it->Empty(RIL_SYMBOL)) continue;
        if (lines.empty() || it->IsAtBeginningOf(RIL_TEXTLINE)) {
            Line line;
            line.box = iteratorBox(*it, RIL_TEXTLINE);
            line.paragraphStart = it->IsAtBeginningOf(RIL_PARA);
            lines.push_back(std::move(line));
        }
        Line& line = lines.back();
        if (line.words.empty() || it->IsAtBeginningOf(RIL_WORD)) {
            Word w;
            w.blanks = line.words.empty() ? 0 : std::max(it->BlanksBeforeWord(), 1);
            line.words.push_back(std::move(w));
        }
        Symbol s;
        s.utf8 = takeText(it->GetUTF8Text(RIL_SYMBOL));
        if (s.utf8.empty()) continue;
        s.box = iteratorBox(*it, RIL_SYMBOL);
        s.confidence = it->Confidence(RIL_SYMBOL);
        s.choices = choicesOf(*it, s.utf8, s.confidence);
        line.words.back().symbols.push_back(std::move(s));
    } while (it->Next(RIL_SYMBOL));
    // Words or lines that ended up without symbols are of no use.
    for (Line& l : lines)
        std::erase_if(l.words, [](const Word& w) { return w.symbols.empty(); });
    std::erase_if(lines, [](const Line& l) { return l.words.empty(); });
    it.reset();
    api.Clear();
    return true;
}

BlockKind kindOf(tesseract::PolyBlockType type) {
    switch (type) {
    case tesseract::PT_HEADING_TEXT: return BlockKind::Heading;
    case tesseract::PT_PULLOUT_TEXT: return BlockKind::PullOut;
    case tesseract::PT_CAPTION_TEXT: return BlockKind::Caption;
    case tesseract::PT_VERTICAL_TEXT: return BlockKind::Vertical;
    case tesseract::PT_TABLE: return BlockKind::Table;
    case tesseract::PT_FLOWING_IMAGE:
    case tesseract::PT_HEADING_IMAGE:
    case tesseract::PT_PULLOUT_IMAGE: return BlockKind::Picture;
    case tesseract::PT_HORZ_LINE:
    case tesseract::PT_VERT_LINE: return BlockKind::Rule;
    case tesseract::PT_NOISE:
    case tesseract::PT_UNKNOWN:
    case tesseract::PT_COUNT: return BlockKind::Noise;
    default: return BlockKind::Text;
    }
}

// The page mode's layout analysis alone: no model is loaded for it.
class TessLayoutFinder : public LayoutFinder {
public:
    tesseract::TessBaseAPI api;
    TessLayoutFinder() {
        api.InitForAnalysePage();
        api.SetVariable("debug_file", "/dev/null");
    }
    ~TessLayoutFinder() override { api.End(); }

    bool analyse(Pix* page, const Box& region, std::vector<LayoutBlock>& blocks) override {
        blocks.clear();
        if (!page || region.empty()) return false;
        api.SetImage(page);
        api.SetSourceResolution(300);
        api.SetPageSegMode(tesseract::PSM_AUTO);
        api.SetRectangle(region.left, region.top, region.width(), region.height());
        std::unique_ptr<tesseract::PageIterator> it(api.AnalyseLayout());
        if (it) {
            it->Begin();
            do {
                LayoutBlock b;
                b.box = iteratorBox(*it, tesseract::RIL_BLOCK);
                b.kind = kindOf(it->BlockType());
                blocks.push_back(std::move(b));
            } while (it->Next(tesseract::RIL_BLOCK));
            // Each line goes to the block it lies in, found by its box from
            // where the last one was.
            it->Begin();
            std::size_t at = 0;
            do {
                if (it->Empty(tesseract::RIL_TEXTLINE)) continue;
                const Box block = iteratorBox(*it, tesseract::RIL_BLOCK);
                const Box line = iteratorBox(*it, tesseract::RIL_TEXTLINE);
                for (std::size_t k = at; k < blocks.size(); ++k) {
                    const Box& b = blocks[k].box;
                    if (b.left == block.left && b.top == block.top && b.right == block.right && b.bottom == block.bottom) {
                        at = k;
                        if (!line.empty()) blocks[k].lines.push_back(line);
                        break;
                    }
                }
            } while (it->Next(tesseract::RIL_TEXTLINE));
            std::erase_if(blocks, [](const LayoutBlock& b) { return b.box.empty(); });
        }
        it.reset();
        api.Clear();
        return true;
    }
};

}  // namespace
}  // namespace ocrkit

extern "C" __attribute__((visibility("default"))) ocrkit::LayoutFinder* SuiteTessCreateLayoutFinder() {
    return new ocrkit::TessLayoutFinder();
}

extern "C" __attribute__((visibility("default"))) ocrkit::Engine* SuiteTessCreateEngine(const char* modelFolder,
                                                                                       const char* languages) {
    auto e = std::make_unique<ocrkit::TessEngine>();
    // Per-character alternatives come from the LSTM's choice mode; one pass
    // of its search already gives them. For Chinese, Tresk puts them after
    // the nearest glyph shapes: they hold the right character of many a
    // misread Latin letter and of small or heavy print the shapes miss.
    std::vector<std::string> names{"lstm_choice_mode", "lstm_choice_iterations"};
    std::vector<std::string> values{"2", "1"};
    if (e->api.Init(modelFolder, languages, tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0)
        return nullptr;
    e->api.SetVariable("debug_file", "/dev/null");
    // Lines read with little confidence are read a second time inverted, in
    // case they are light text on a dark ground. Pages come here as 1-bit
    // scans whose dark grounds the layout analysis makes pictures; on a poor
    // scan nearly every line is doubtful, and the second reading cost about a
    // fifth of the time and changed nothing.
    e->api.SetVariable("tessedit_do_invert", "0");
    return e.release();
}
