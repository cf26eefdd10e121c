#include "bench/corpus/page_measure.h"

#include <QFile>
#include <QImage>
#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "bench/common/page_scores.h"
#include "bench/common/timed_command.h"
#include "imaging/page_image.h"
#include "imaging/tests/dib_builder.h"

namespace bench {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testpages::Script;

namespace {

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The text of a .txt file as Textory writes it (UTF-16 with a byte order mark).
std::string readUtf16(const fs::path& path) {
    QFile f(QString::fromStdString(path.string()));
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    QString text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF) {
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
            text += QChar(static_cast<char16_t>((static_cast<unsigned char>(bytes[i]) << 8) | static_cast<unsigned char>(bytes[i + 1])));
    } else {
        const qsizetype from = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF ? 2 : 0;
        for (qsizetype i = from; i + 1 < bytes.size(); i += 2)
            text += QChar(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return text.toStdString();
}

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

}  // namespace

const char* systemLanguageFor(Script script) {
    switch (script) {
    case Script::English: return "0x0409";
    case Script::Traditional: return "0x0404";
    default: return "0x0804";
    }
}

testpages::Plane programPlane(const fs::path& file) {
    testpages::Plane plane;
    QImage img(QString::fromStdString(file.string()));
    if (img.isNull()) return plane;
    TestDib dib;
    if (img.format() == QImage::Format_Mono || img.format() == QImage::Format_MonoLSB) {
        const QImage mono = img.convertToFormat(QImage::Format_Grayscale8);
        dib = MonoDib(mono.width(), mono.height(), [&](int x, int y) { return mono.constScanLine(y)[x] < 128; });
    } else if (img.allGray()) {
        const QImage g = img.convertToFormat(QImage::Format_Grayscale8);
        dib = GreyDib(g.width(), g.height(), [&](int x, int y) { return g.constScanLine(y)[x]; });
    } else {
        const QImage c = img.convertToFormat(QImage::Format_RGB32);
        dib = ColourDib(c.width(), c.height(), [&](int x, int y) {
            const QRgb p = reinterpret_cast<const QRgb*>(c.constScanLine(y))[x];
            return Bgr{static_cast<BYTE>(qBlue(p)), static_cast<BYTE>(qGreen(p)), static_cast<BYTE>(qRed(p))};
        });
    }
    CPageImage page;
    if (page.AttachDib(dib.Make()) != 0) return plane;
    page.Binarize();
    plane.width = page.m_nWidth;
    plane.height = page.m_nHeight;
    plane.bits = PlaneOf(page);
    plane.bits.resize(static_cast<std::size_t>(plane.stride()) * plane.height);
    page.Empty();
    return plane;
}

Run writeWithTextory(const RandomPage& page, const fs::path& file, const std::string& textory, const fs::path& work,
                     const std::string& name) {
    Run r;
    // A fresh home for every page, as a new user's.
    const fs::path home = work / "home";
    fs::remove_all(home);
    fs::create_directories(home);
    const fs::path out = work / name;
    fs::remove(out);
    const std::string road = "cd " + quoted(home.string()) + " && SUITE_HOME=" + quoted(home.string()) +
                             " SUITE_LANGID=" + systemLanguageFor(page.script) +
                             " QT_QPA_PLATFORM=offscreen OMP_THREAD_LIMIT=1 " + quoted(textory) + " " +
                             quoted(file.string()) + " " + quoted(out.string()) + " >/dev/null 2>&1";
    const auto t0 = Clock::now();
    r.status = runTimed(road, r.cpu);
    r.seconds = seconds(t0);
    r.text = readText(out);
    fs::remove_all(home);
    return r;
}

Run readWithTextory(const RandomPage& page, const fs::path& file, const std::string& textory, const fs::path& work) {
    Run r = writeWithTextory(page, file, textory, work, "ours.txt");
    r.text = readUtf16(work / "ours.txt");
    return r;
}

Run readWithCommandLine(const RandomPage& page, const fs::path& file, const fs::path& work) {
    Run r;
    const fs::path out = work / "cli";
    fs::remove(out.string() + ".txt");
    const std::string cli = "OMP_THREAD_LIMIT=1 tesseract " + quoted(file.string()) + " " + quoted(out.string()) +
                            " --psm 3 -l " + testpages::cliLanguages(page.script, false) + " >/dev/null 2>&1";
    const auto t0 = Clock::now();
    r.status = runTimed(cli, r.cpu);
    r.seconds = seconds(t0);
    r.text = readText(out.string() + ".txt");
    return r;
}

double characterScore(const RandomPage& page, const std::string& text) {
    return testpages::charAccuracy(withoutTableFrames(page.truth), withoutTableFrames(text), false);
}

double wordScore(const RandomPage& page, const std::string& text) {
    return wordF1(withoutTableFrames(page.truth), withoutTableFrames(text));
}

PageFigures measurePage(const RandomPage& page, const fs::path& file, const std::string& textory, const fs::path& work,
                        EngineLibraries* engines) {
    PageFigures f;
    const std::string truth = withoutTableFrames(page.truth);
    f.chars = characterCount(testpages::normalise(truth, false));
    const Run ours = readWithTextory(page, file, textory, work), cli = readWithCommandLine(page, file, work);
    f.status = ours.status;
    f.oursSec = ours.seconds, f.oursCpu = ours.cpu, f.oursText = ours.text;
    f.cliSec = cli.seconds, f.cliCpu = cli.cpu, f.cliText = cli.text;
    f.ours = characterScore(page, f.oursText);
    f.cli = characterScore(page, f.cliText);
    f.oursWords = wordScore(page, f.oursText);
    f.cliWords = wordScore(page, f.cliText);

    if (engines && f.ours >= 0.9) {
        testpages::Plane plane = programPlane(file);
        if (plane.width > 0) {
            double segSeconds = 0;
            std::vector<Block> blocks = layoutBlocks(*engines, plane, page.dpi, segSeconds);
            const Reading reading = page.script == Script::English ? readEnglish(*engines, plane, blocks)
                                                                   : readChinese(*engines, plane, blocks, page.script == Script::Traditional);
            std::string misses;
            scoreCandidates(std::to_string(f.chars), truth, reading, true, f.wrong, f.found, misses);
            std::string plainMisses;
            scoreCandidates(std::to_string(f.chars) + "p", truth, reading, false, f.wrongPlain, f.foundPlain, plainMisses);
            // CORPUS_BENCH_MISSES=1 prints each wrong character with its candidates.
            if (getenv("CORPUS_BENCH_MISSES")) std::fputs((misses + plainMisses).c_str(), stderr);
            f.candidatesScored = true;
        }
    }
    return f;
}

}  // namespace bench
