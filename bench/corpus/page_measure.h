// One page of the corpus read through the program's road (Textory IMAGE
// OUT.txt in a fresh home) and through the tesseract command line (--psm 3)
// on the same file, each with one thread, and both readings scored.
#pragma once

#include <filesystem>
#include <string>

#include "bench/common/engine_reading.h"
#include "bench/corpus/random_page.h"

namespace bench {

struct PageFigures {
    int chars = 0;            // characters of the truth, whitespace and frames left out
    int status = 0;           // Textory's exit status
    double ours = 0, cli = 0;         // character accuracy in reading order
    double oursWords = 0, cliWords = 0;  // word F1
    double oursSec = 0, cliSec = 0, oursCpu = 0, cliCpu = 0;
    bool candidatesScored = false;  // read at 90 % or better: the candidates were counted
    int wrong = 0, found = 0, wrongPlain = 0, foundPlain = 0;
    std::string oursText, cliText;
};

// The SUITE_LANGID the road runs under for a page of this script, and the
// tesseract languages that read it.
const char* systemLanguageFor(testpages::Script script);

// One reading of a page file: the text, the exit status, wall-clock and
// processor seconds.
struct Run {
    std::string text;
    int status = -1;
    double seconds = 0, cpu = 0;
};

// The program's road: Textory IMAGE OUT.txt in a fresh home under `work`,
// the system language the page's.
Run readWithTextory(const RandomPage& page, const std::filesystem::path& file, const std::string& textory,
                    const std::filesystem::path& work);
// The same road to another output (`name`'s extension chooses it: .htm,
// .doc); the run's text is the file as written, byte for byte.
Run writeWithTextory(const RandomPage& page, const std::filesystem::path& file, const std::string& textory,
                     const std::filesystem::path& work, const std::string& name);
// The command line: tesseract --psm 3 with the page's languages.
Run readWithCommandLine(const RandomPage& page, const std::filesystem::path& file, const std::filesystem::path& work);

// Character accuracy in reading order (whitespace and table frames left out)
// and word F1 of a reading of the page.
double characterScore(const RandomPage& page, const std::string& text);
double wordScore(const RandomPage& page, const std::string& text);

// Reads the page written at `file` both ways; `work` is a folder of the
// caller's for the outputs. With `engines`, a page the road read at 90 % or
// better is read once more through the engines on the plane the page image
// makes of the file, to count the candidates.
PageFigures measurePage(const RandomPage& page, const std::filesystem::path& file, const std::string& textory,
                        const std::filesystem::path& work, EngineLibraries* engines);

// The 1-bit plane the program's page image makes of an image file (grey and
// colour pages binarised as it binarises them); empty when unreadable.
testpages::Plane programPlane(const std::filesystem::path& file);

}  // namespace bench
