// The small libraries of the button manager's bundle, loaded by name as the
// program loads them: message texts and boxes, the edge-fill page, PDF
// joining, PDF encryption and the registry-key object.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "outside/convert/jpeg_format.h"
#include "outside/convert/bmp_format.h"
#include "outside/convert/packed_dib.h"
#include "outside/duvrin/page_placement.h"
#include "outside/gorsey/edge_fill_fields.h"
#include "outside/include/duvrin.h"
#include "outside/include/gorsey.h"
#include "outside/include/lorvex.h"
#include "outside/include/our_pdf.h"
#include "outside/include/tarrik.h"
#include "outside/include/velmar.h"
#include "platform/afx/afxwin.h"
#include "platform/win/library.h"
#include "platform/win/memory.h"

namespace fs = std::filesystem;

namespace {

fs::path TempFolder() {
    static fs::path folder = [] {
        char pattern[] = "/tmp/bundle-XXXXXX";
        fs::path p = mkdtemp(pattern);
        setenv("SUITE_REGISTRY_USER", (p / "user.db").c_str(), 1);
        setenv("SUITE_REGISTRY_MACHINE", (p / "machine.db").c_str(), 1);
        return p;
    }();
    return folder;
}

template <typename Table>
const Table* TableOf(const char* dll, const char* entry) {
    HMODULE m = LoadLibraryA(dll);  // kept loaded for the process
    if (!m) return nullptr;
    auto get = reinterpret_cast<const Table* (*)()>(GetProcAddress(m, entry));
    return get ? get() : nullptr;
}

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        pclose(p);
    }
    return out;
}

std::vector<BYTE> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A page with some structure, as a 24-bit or 8-bit DIB.
HDIB MakePage(LONG width, LONG height, int bits, int seed) {
    convert::DibBuilder b;
    if (!b.create(width, height, bits, 7874, 7874)) return nullptr;  // 200 dpi
    const int channels = bits / 8;
    for (LONG y = 0; y < height; ++y) {
        BYTE* row = b.row(y);
        for (LONG x = 0; x < width * channels; ++x) row[x] = BYTE((x * 7 + y * 3 + seed * 31) % 251);
    }
    return b.release();
}

fs::path WriteJpeg(const fs::path& path, LONG width, LONG height, int bits, int seed) {
    HDIB dib = MakePage(width, height, bits, seed);
    std::vector<BYTE> file;
    {
        convert::DibReader r;
        EXPECT_TRUE(r.open(dib));
        EXPECT_TRUE(convert::encodeJpeg(r, file));
    }
    GlobalFree(dib);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

fs::path WriteBmp(const fs::path& path, LONG width, LONG height, int seed) {
    HDIB dib = MakePage(width, height, 24, seed);
    std::vector<BYTE> file;
    {
        convert::DibReader r;
        EXPECT_TRUE(r.open(dib));
        EXPECT_TRUE(convert::encodeBmp(r, file));
    }
    GlobalFree(dib);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    return path;
}

PDF_PAGEENTRY Entry(int number, const fs::path& file) {
    PDF_PAGEENTRY e{};
    e.Type = 2;
    std::snprintf(e.Name, sizeof e.Name, "%d", number);
    std::snprintf(e.Path, sizeof e.Path, "%s", file.c_str());
    return e;
}

// --- message library ---

TEST(MessageLibrary, TextsByNumberFitTheBuffer) {
    auto* t = TableOf<TARRIK_FUNCTIONTABLE>("Tarrik.dll", "Tarrik_GetFunctionTable");
    ASSERT_NE(t, nullptr);
    for (int id : {5, 6, 8, 10, 14, 15, 16, 26, 28, 29, 30}) {
        char text[260];
        EXPECT_EQ(t->MsgGetText(id, text, sizeof text), 1) << id;
        EXPECT_GT(std::strlen(text), 0u) << id;
    }
    char text[260];
    t->MsgGetText(14, text, sizeof text);
    EXPECT_NE(std::string(text).find("%1"), std::string::npos);
    t->MsgGetText(29, text, sizeof text);
    EXPECT_NE(std::string(text).find("%s"), std::string::npos);  // used as a format with the file path
    char small[8];
    EXPECT_EQ(t->MsgGetText(15, small, sizeof small), 1);
    EXPECT_EQ(std::strlen(small), 7u);
    EXPECT_EQ(t->MsgGetText(999, text, sizeof text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(t->MsgGetText(15, nullptr, 10), 0);
}

TEST(MessageLibrary, BoxesGoThroughTheScriptedMessageBox) {
    AfxWinInit();
    auto* t = TableOf<TARRIK_FUNCTIONTABLE>("Tarrik.dll", "Tarrik_GetFunctionTable");
    ASSERT_NE(t, nullptr);
    AfxTestScript::Enable(true);
    AfxTestScript::Clear();
    AfxTestScript::QueueAnswer(IDNO);
    EXPECT_EQ(t->MsgShowBox(nullptr, 14, "Exit now?", 0, "Keyrider", MB_YESNO | MB_ICONQUESTION, 128), IDNO);
    EXPECT_EQ(t->MsgShowBox(nullptr, 15, nullptr, 0, "Keyrider", MB_ICONHAND, 128), IDOK);
    auto shown = AfxTestScript::Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Exit now?");
    EXPECT_EQ(shown[0].title, "Keyrider");
    EXPECT_NE(shown[1].text.find("scanner is not present"), std::string::npos);
}

TEST(MessageLibrary, ProgressWindowReportsCancel) {
    AfxWinInit();
    auto* t = TableOf<TARRIK_FUNCTIONTABLE>("Tarrik.dll", "Tarrik_GetFunctionTable");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->MsgSetProgress(10), 0);  // nothing open
    MSG_PROGRESS p{nullptr, "Export to ini", 100};
    int h = t->MsgOpenProgress(&p);
    ASSERT_NE(h, 0);
    EXPECT_EQ(t->MsgSetProgressText(h, "half"), 1);
    EXPECT_EQ(t->MsgSetProgress(50), 1);
    HWND window = FindWindow(nullptr, "Export to ini");
    ASSERT_NE(window, nullptr);
    SendMessage(window, WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
    EXPECT_EQ(t->MsgSetProgress(60), 0);
    EXPECT_EQ(t->MsgCloseProgress(), 1);
    EXPECT_EQ(t->MsgCloseProgress(), 0);
}

// --- edge-fill library ---

EDGEFILL_SETTINGS Defaults() {
    EDGEFILL_SETTINGS s{};
    s.Flags = 4;
    s.Min = 0.01;
    s.Max = 1.0;
    s.Inc = 0.01;
    s.Color = s.Gray = s.BW = 0xFFFFFF;
    s.Top = s.Left = s.Right = s.Bottom = 0.01;
    return s;
}

TEST(EdgeFill, FieldsRoundTripAndRefuseOutOfRange) {
    EDGEFILL_SETTINGS s = Defaults();
    auto texts = gorsey::FieldsOf(s);
    texts[gorsey::kTop] = "0.5";
    texts[gorsey::kEnable] = "1";
    texts[gorsey::kColor] = "00FF00";
    ASSERT_TRUE(gorsey::ReadFields(texts, s));
    // The record is packed: its members are compared through aligned copies.
    const double top = s.Top;
    const BOOL enable = s.Enable;
    const DWORD colour = s.Color;
    EXPECT_DOUBLE_EQ(top, 0.5);
    EXPECT_TRUE(enable);
    EXPECT_EQ(colour, 0x00FF00u);

    EDGEFILL_SETTINGS before = s;
    for (auto [field, text] : std::vector<std::pair<int, std::string>>{
             {gorsey::kLeft, "1.5"}, {gorsey::kLeft, "abc"}, {gorsey::kRight, ""}, {gorsey::kBottom, "nan"},
             {gorsey::kGray, "1234567"}, {gorsey::kBW, "xyz"}, {gorsey::kAllSame, "2"}}) {
        auto bad = gorsey::FieldsOf(s);
        bad[std::size_t(field)] = text;
        EXPECT_FALSE(gorsey::ReadFields(bad, s)) << field << " " << text;
        EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
    }
    auto same = gorsey::FieldsOf(s);
    same[gorsey::kAllSame] = "1";
    same[gorsey::kTop] = "0.25";
    ASSERT_TRUE(gorsey::ReadFields(same, s));
    const double left = s.Left, bottom = s.Bottom;
    EXPECT_DOUBLE_EQ(left, 0.25);
    EXPECT_DOUBLE_EQ(bottom, 0.25);
}

TEST(EdgeFill, PageShowsAndReadsTheRecord) {
    AfxWinInit();
    auto* t = TableOf<GORSEY_FUNCTIONTABLE>("Gorsey.dll", "Gorsey_GetFunctionTable");
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->Version(), 0);
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "host", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr));
    RECT area{5, 20, 395, 295};
    EDGEFILL_SETTINGS s = Defaults();
    s.Top = 0.3;
    HWND page = t->CreatePage(&area, host.GetSafeHwnd(), &area, &s);
    ASSERT_NE(page, nullptr);
    EDGEFILL_SETTINGS back = Defaults();
    EXPECT_EQ(t->ReadPage(page, &back), 1);
    const double top = back.Top;
    EXPECT_DOUBLE_EQ(top, 0.3);
    t->DestroyPage(page, &back);
    EXPECT_EQ(t->ReadPage(page, &back), 0);
    EXPECT_EQ(t->CreatePage(nullptr, host.GetSafeHwnd(), &area, &s), nullptr);
    t->Terminate();
    host.DestroyWindow();
}

// --- PDF library ---

TEST(PdfLibrary, JoinsJpegPagesUnchangedAndOtherFormats) {
    auto* t = TableOf<PDF_FUNCTIONTABLE>("OurPdf.dll", "GetPDFFunctionTable");
    ASSERT_NE(t, nullptr);
    const WORD v1[4] = {1, 0, 0, 0}, v2[4] = {2, 0, 0, 0};
    EXPECT_NE(t->PdfCheckVersion(v1), 0);
    EXPECT_EQ(t->PdfCheckVersion(v2), 0);
    fs::path dir = TempFolder() / "join";
    fs::create_directories(dir);
    std::vector<PDF_PAGEENTRY> entries = {Entry(1, WriteJpeg(dir / "1.jpg", 300, 400, 24, 1)),
                                          Entry(2, WriteJpeg(dir / "2.jpg", 200, 100, 8, 2)),
                                          Entry(3, WriteBmp(dir / "3.bmp", 120, 80, 3))};
    fs::path out = dir / "out.pdf";
    int flag = -1, state = 0, calls = 0;
    static int* callCount;
    callCount = &calls;
    auto progress = [](int total, int remaining, int page, int*) {
        ++*callCount;
        return (total == 3 && remaining >= 0 && remaining <= 3 && page >= 1 && page <= 3) ? 1 : 0;
    };
    ASSERT_EQ(t->PdfConvertPages(out.c_str(), 3, entries.data(), out.c_str(), 80, &flag, progress, &state), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_GE(calls, 3);
    EXPECT_EQ(Shell("qpdf --show-npages " + out.string()), "3\n");
    EXPECT_EQ(Shell("qpdf --check " + out.string() + " >/dev/null 2>&1; echo $?"), "0\n");
    // The JPEG bytes are in the file as they are.
    std::vector<BYTE> pdf = ReadAll(out), jpeg = ReadAll(dir / "1.jpg");
    EXPECT_NE(std::search(pdf.begin(), pdf.end(), jpeg.begin(), jpeg.end()), pdf.end());
}

TEST(PdfLibrary, FailureOrStopLeavesTheOldFile) {
    auto* t = TableOf<PDF_FUNCTIONTABLE>("OurPdf.dll", "GetPDFFunctionTable");
    ASSERT_NE(t, nullptr);
    fs::path dir = TempFolder() / "keep";
    fs::create_directories(dir);
    fs::path out = dir / "out.pdf";
    std::ofstream(out) << "old";
    std::ofstream(dir / "junk.jpg") << "not a picture";
    std::vector<PDF_PAGEENTRY> entries = {Entry(1, WriteJpeg(dir / "1.jpg", 50, 50, 24, 1)), Entry(2, dir / "junk.jpg")};
    int flag = -1;
    EXPECT_EQ(t->PdfConvertPages(out.c_str(), 2, entries.data(), out.c_str(), 80, &flag, nullptr, nullptr), 0);
    EXPECT_EQ(flag, 0);
    entries[1] = Entry(2, dir / "missing.jpg");
    EXPECT_EQ(t->PdfConvertPages(out.c_str(), 2, entries.data(), out.c_str(), 80, &flag, nullptr, nullptr), 0);
    entries[1] = Entry(2, dir / "1.jpg");
    auto stop = [](int, int, int page, int*) { return page < 2 ? 1 : 0; };
    EXPECT_EQ(t->PdfConvertPages(out.c_str(), 2, entries.data(), out.c_str(), 80, &flag, stop, nullptr), 0);
    entries[0].Type = 1;
    EXPECT_EQ(t->PdfConvertPages(out.c_str(), 2, entries.data(), out.c_str(), 80, &flag, nullptr, nullptr), 0);
    EXPECT_EQ(t->PdfConvertPages(out.c_str(), 0, entries.data(), out.c_str(), 80, &flag, nullptr, nullptr), 0);
    std::ifstream in(out);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);  // no temporary left
}

// --- PDF encryption ---

TEST(PdfEncryption, EncryptsInPlaceAndKeepsTheFileOnFailure) {
    HMODULE m = LoadLibraryA("Lorvex.dll");
    ASSERT_NE(m, nullptr);
    auto encrypt = reinterpret_cast<LORVEX_ENCRYPT>(GetProcAddress(m, "fnLorvex"));
    ASSERT_NE(encrypt, nullptr);
    fs::path dir = TempFolder() / "lorvex";
    fs::create_directories(dir);
    fs::path pdf = dir / "a.pdf";
    Shell("qpdf --empty " + pdf.string());
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(encrypt(pdf.c_str(), "open", "owner"), 0);
    EXPECT_NE(Shell("qpdf --show-encryption --password=open " + pdf.string()).find("R = 6"), std::string::npos);
    EXPECT_NE(Shell("qpdf --check " + pdf.string() + " 2>&1").find("invalid password"), std::string::npos);

    fs::path junk = dir / "junk.pdf";
    std::ofstream(junk) << "no pdf";
    EXPECT_EQ(encrypt(junk.c_str(), "x", ""), 1);
    EXPECT_EQ(ReadAll(junk).size(), 6u);
    EXPECT_EQ(encrypt(nullptr, "x", ""), 2);
    EXPECT_EQ(encrypt((dir / "none.pdf").c_str(), "x", ""), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    FreeLibrary(m);
}

// --- registry-key object ---

TEST(RegistryKeyObject, ReadsWithDefaultsAndWritesTyped) {
    TempFolder();
    CRegExt key;
    EXPECT_FALSE(key.OpenReadOnly("Software\\Bundle Test", HKEY_CURRENT_USER));
    ASSERT_TRUE(key.CreateKey("Software\\Bundle Test", HKEY_CURRENT_USER, KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY));
    EXPECT_TRUE(key.SetString("Keyrider", "Name"));
    EXPECT_TRUE(key.SetInt(-5, "Int"));
    EXPECT_TRUE(key.SetBool(7, "Bool"));
    EXPECT_TRUE(key.SetDWordArray({1, 3, 5}, "List"));

    CRegExt read;
    ASSERT_TRUE(read.OpenReadOnly("Software\\Bundle Test", HKEY_CURRENT_USER));
    CString s;
    EXPECT_TRUE(read.GetString(s, "Name"));
    EXPECT_STREQ(s, "Keyrider");
    int i = 0;
    EXPECT_TRUE(read.GetInt(i, "Int"));
    EXPECT_EQ(i, -5);
    BOOL b = FALSE;
    EXPECT_TRUE(read.GetBool(b, "Bool"));
    EXPECT_EQ(b, TRUE);
    std::vector<DWORD> list;
    EXPECT_TRUE(read.GetDWordArray(list, "List"));
    EXPECT_EQ(list, (std::vector<DWORD>{1, 3, 5}));
    // Missing values and values of another type read as the default.
    EXPECT_FALSE(read.GetInt(i, 42, "Name"));
    EXPECT_EQ(i, 42);
    EXPECT_FALSE(read.GetString(s, "dflt", "Int"));
    EXPECT_STREQ(s, "dflt");
    DWORD d = 9;
    EXPECT_FALSE(read.GetDWord(d, "Missing"));
    EXPECT_EQ(d, 9u);
    // A read-only key refuses writes.
    EXPECT_FALSE(read.SetInt(1, "Int"));
    read.Close();
    EXPECT_FALSE(read.GetInt(i, "Int"));
}

// --- printer library ---

TEST(PrinterLibrary, PlacesPagesFittedScaledOrCentred) {
    // A 2000 x 1000 page at 200 dpi on a 150 dpi area of 1200 x 1700.
    RECT natural = duvrin::PlacePage(2000, 1000, 200, 150, 1200, 1700, PRINTER_FLAGS_BASE, 100);
    EXPECT_EQ(natural.right - natural.left, 1500);
    EXPECT_EQ(natural.bottom - natural.top, 750);
    RECT fit = duvrin::PlacePage(2000, 1000, 200, 150, 1200, 1700, PRINTER_FLAGS_BASE | PRINTER_FLAG_FIT, 100);
    EXPECT_EQ(fit.right - fit.left, 1200);
    EXPECT_EQ(fit.bottom - fit.top, 600);
    RECT half = duvrin::PlacePage(2000, 1000, 200, 150, 1200, 1700,
                                  PRINTER_FLAGS_BASE | PRINTER_FLAG_SCALE | PRINTER_FLAG_CENTER, 50);
    EXPECT_EQ(half.right - half.left, 750);
    EXPECT_EQ(half.left, (1200 - 750) / 2);
    EXPECT_EQ(half.top, (1700 - 375) / 2);
    RECT unknownDpi = duvrin::PlacePage(200, 100, 0, 150, 1200, 1700, PRINTER_FLAGS_BASE, 100);
    EXPECT_EQ(unknownDpi.right, 150);
}

TEST(PrinterLibrary, PrintsEachPageAndCopyToThePdfPrinter) {
    AfxWinInit();
    auto* t = TableOf<PRINTER_TABLE>("Duvrin.dll", "Printer_Interface");
    ASSERT_NE(t, nullptr);
    fs::path dir = TempFolder() / "print";
    fs::create_directories(dir);
    const fs::path pdf = dir / "printed.pdf";
    setenv("SUITE_PRINT_PDF", pdf.c_str(), 1);
    PRINTER_RECORD printer;
    std::memset(&printer, 0xAB, sizeof printer);
    PRINTER_NAMES names{"PDF", "", ""};
    ASSERT_EQ(t->PrinterBeginJob(&printer, &names, &printer), 1);
    EXPECT_EQ(printer.Started, 0u);
    PRINT_JOB job{};
    std::snprintf(job.Title, sizeof job.Title, "Copy");
    job.Copies = 2;
    job.Scale = 100;
    job.Flags = PRINTER_FLAGS_BASE | PRINTER_FLAG_FIT;
    job.Printer = &printer;
    EXPECT_EQ(t->PrinterPrintPage(&job), 0);  // no document yet
    ASSERT_EQ(t->PrinterStartDoc(&job), 1);
    EXPECT_EQ(t->PrinterStartDoc(&job), 0);  // one document at a time
    for (int bits : {24, 8}) {
        IL_IMAGEHEADER header{sizeof(IL_IMAGEHEADER), 300, 200, bits == 24 ? 900u : 300u, WORD(bits), 0, 100, 100};
        std::vector<BYTE> pixels(std::size_t(header.BytesPerLine) * 200, 0x80);
        IL_IMAGE page{&header, 8, pixels.data()};
        job.Page = &page;
        EXPECT_EQ(t->PrinterPrintPage(&job), 1);
    }
    IL_IMAGEHEADER bad{sizeof(IL_IMAGEHEADER), 300, 200, 10, 24, 0, 100, 100};
    std::vector<BYTE> few(10);
    IL_IMAGE badPage{&bad, 8, few.data()};
    job.Page = &badPage;
    EXPECT_EQ(t->PrinterPrintPage(&job), 0);  // rows shorter than the width say
    EXPECT_EQ(t->PrinterEndDoc(&job, 0), 1);
    EXPECT_EQ(printer.Pages, 4u);
    EXPECT_EQ(Shell("qpdf --show-npages " + pdf.string()), "4\n");
    EXPECT_EQ(t->PrinterEndDoc(&job, 0), 0);
}

}  // namespace
