// Recognition of page blocks through Tesseract: one engine per language and
// thread, per-character boxes and alternatives, progress and cancellation.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "outside/ocrkit/plane.h"

struct Pix;

namespace ocrkit {

struct Choice {
    std::string utf8;
    float confidence = 0;  // 0..100
};

struct Symbol {
    std::string utf8;
    Box box;
    float confidence = 0;
    std::vector<Choice> choices;  // best first, the symbol's own text included
};

struct Word {
    int blanks = 0;  // blanks before the word as the engine saw them
    std::vector<Symbol> symbols;
};

struct Line {
    Box box;
    bool paragraphStart = false;
    std::vector<Word> words;
};

// Asked between words; true stops recognition.
using CancelCheck = std::function<bool()>;

// A check that runs the host's message pump (none when null) and says stop
// once the pump has asked for it; cancelled then stays true for the caller.
CancelCheck pumpCheck(int (*pump)(), bool& cancelled);

// Folder holding <language>.traineddata for every part of a "+"-joined
// language list: the program folder (or its tessdata sub-folder), then
// TESSDATA_PREFIX, then the system's folders. Empty when not found.
std::string findModelFolder(const std::string& languages, const std::string& programFolder);

// The engine lives in its own module (libSuiteTess.so beside the library),
// loaded on first use: the OpenMP runtime that comes with it reads its thread
// limit when it is loaded, and OMP_THREAD_LIMIT=1 must be set by then.
class Engine {
public:
    // The calling thread's engine for the languages, made on first use; NULL
    // when the model is missing or cannot be loaded.
    static Engine* forThread(const std::string& languages, const std::string& programFolder);
    // Drops the calling thread's engines.
    static void releaseThread();

    // Recognises box of page as one block (vertical: columns read right to
    // left). False when cancelled or failed; lines hold what was recognised.
    virtual bool recognise(Pix* page, const Box& box, bool vertical, const CancelCheck& cancel,
                           std::vector<Line>& lines) = 0;
    virtual ~Engine() = default;
};

// The module's entries: an engine for languages with models in modelFolder,
// and a page layout finder (which needs no model).
using EngineFactory = Engine* (*)(const char* modelFolder, const char* languages);
#define OCRKIT_ENGINE_FACTORY "SuiteTessCreateEngine"

// What the recogniser's page analysis takes a block of the page for.
enum class BlockKind { Text, Heading, PullOut, Caption, Vertical, Table, Picture, Rule, Noise };

struct LayoutBlock {
    Box box;
    BlockKind kind = BlockKind::Text;
    std::vector<Box> lines;  // text blocks: their lines, in reading order
};

// The recogniser's own page layout analysis, the one its page mode uses:
// the blocks of a region of the page in its reading order.
class LayoutFinder {
public:
    // The calling thread's finder, made on first use; NULL when the module
    // cannot be loaded.
    static LayoutFinder* forThread();
    // False when the analysis failed.
    virtual bool analyse(Pix* page, const Box& region, std::vector<LayoutBlock>& blocks) = 0;
    virtual ~LayoutFinder() = default;
};

using LayoutFinderFactory = LayoutFinder* (*)();
#define OCRKIT_LAYOUT_FACTORY "SuiteTessCreateLayoutFinder"

}  // namespace ocrkit
