#include "imaging/formats/pcx_codec.h"

#include "imaging/formats/tests/codec_test_support.h"

using codectest::Signals;
using codectest::TempFile;
using testpages::Page;

namespace {

std::vector<std::uint8_t> Header(unsigned width, unsigned height, unsigned bytesPerLine, std::uint8_t version = 5) {
    std::vector<std::uint8_t> h(128, 0);
    h[0] = 10;
    h[1] = version;
    h[2] = 1;
    h[3] = 1;
    h[8] = static_cast<std::uint8_t>(width - 1);
    h[9] = static_cast<std::uint8_t>((width - 1) >> 8);
    h[10] = static_cast<std::uint8_t>(height - 1);
    h[11] = static_cast<std::uint8_t>((height - 1) >> 8);
    h[65] = 1;
    h[66] = static_cast<std::uint8_t>(bytesPerLine);
    h[67] = static_cast<std::uint8_t>(bytesPerLine >> 8);
    return h;
}

int Load(const TempFile& f, CPageImage& img, HANDLE stop = nullptr) {
    return CPcxCodec(f.path.c_str()).Load(&img, stop, nullptr);
}

}  // namespace

TEST(PcxCodec, WriteThenReadGivesTheSamePlane) {
    CFakeImageHost shell;
    const Page pages[] = {testpages::Text(1700, 900, 51), testpages::Noise(9, 30, 52), testpages::Halftone(640, 300, 53),
                          testpages::Blank(1, 1)};
    for (const Page& page : pages) {
        CPageImage img;
        codectest::Fill(img, page);
        TempFile tmp(".pcx");
        ASSERT_TRUE(CPcxCodec(tmp.path.c_str()).Save(&img, 0));
        auto bytes = tmp.Bytes();
        EXPECT_EQ(bytes[66] | (bytes[67] << 8), static_cast<int>(page.RowBytes())) << "bytes per line";
        CPageImage back;
        ASSERT_EQ(Load(tmp, back), 1) << page.width << "x" << page.height;
        EXPECT_EQ(codectest::Plane(back), page.bits) << "every row, the bottom ones of a noisy page too";
        img.Empty();
        back.Empty();
    }
    EXPECT_EQ(shell.waitCursorDepth, 0);
    EXPECT_GT(shell.waitCursorCalls, 0);
}

TEST(PcxCodec, RunCoding) {
    CFakeImageHost shell;
    Page p = testpages::Blank(800, 2);  // 100 bytes a row
    p.bits[100] = 0xC5;                 // a single high byte
    p.bits[101] = 0x3F;                 // a single low byte
    CPageImage img;
    codectest::Fill(img, p);
    TempFile tmp(".pcx");
    ASSERT_TRUE(CPcxCodec(tmp.path.c_str()).Save(&img, 0));
    auto b = tmp.Bytes();
    std::vector<std::uint8_t> data(b.begin() + 128, b.end());
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0xFF, 0x00, 0xE5, 0x00,                                 // 63 + 37 white
                                               0xC1, 0xC5, 0x3F, 0xFF, 0x00, 0xE3, 0x00}));            // C5, 3F, 98 white
    img.Empty();
}

TEST(PcxCodec, ReadsOtherWritersFiles) {
    CFakeImageHost shell;
    // A 9-pixel page with 4 bytes a line: the padding is dropped; runs that
    // go on past a line's end continue into the next; any version byte.
    for (std::uint8_t version : {0, 2, 3, 5}) {
        auto f = Header(9, 3, 4, version);
        f.insert(f.end(), {0x12, 0xC1, 0xC0, 0x00, 0x00,  // row 0: 12 C0 | padding
                           0xC8, 0x80,                    // row 1 and 2: 80 80 | padding twice across the row end
                           0x77, 0x00});
        TempFile tmp(".pcx");
        tmp.Put(f);
        CPageImage img;
        ASSERT_EQ(Load(tmp, img), 1) << int(version);
        EXPECT_EQ(codectest::Plane(img), (std::vector<std::uint8_t>{0x12, 0xC0, 0x80, 0x80, 0x80, 0x80}));
        img.Empty();
    }
    EXPECT_TRUE(shell.messages.empty());
}

TEST(PcxCodec, RefusesWhatItCannotRead) {
    CFakeImageHost shell;
    std::vector<std::vector<std::uint8_t>> bad;
    auto twoPlanes = Header(16, 2, 2);
    twoPlanes[65] = 2;
    bad.push_back(twoPlanes);
    auto eightBit = Header(16, 2, 16);
    eightBit[3] = 8;
    bad.push_back(eightBit);
    auto notPcx = Header(16, 2, 2);
    notPcx[0] = 11;
    bad.push_back(notPcx);
    bad.push_back(Header(100, 2, 4));  // fewer bytes a line than the row needs
    auto inverted = Header(16, 2, 2);
    inverted[4] = 20;  // Xmin past Xmax
    bad.push_back(inverted);
    auto cut = Header(16, 3, 2);
    cut.insert(cut.end(), {1, 2, 3, 4, 0xC2});  // ends inside the third row
    bad.push_back(cut);
    bad.push_back(std::vector<std::uint8_t>(50, 10));  // shorter than a header
    for (std::size_t i = 0; i < bad.size(); ++i) {
        TempFile tmp(".pcx");
        tmp.Put(bad[i]);
        CPageImage img;
        EXPECT_EQ(Load(tmp, img), 0) << "case " << i;
        img.Empty();
    }
    EXPECT_TRUE(shell.messages.empty()) << "PCX reading shows no message";
    CPageImage img;
    EXPECT_EQ(CPcxCodec("/no/such/file.pcx").Load(&img, nullptr, nullptr), 0);
}

TEST(PcxCodec, StopAndProgress) {
    CFakeImageHost shell;
    const Page page = testpages::Text(300, 40, 54);
    CPageImage img;
    codectest::Fill(img, page);
    TempFile tmp(".pcx");
    ASSERT_TRUE(CPcxCodec(tmp.path.c_str()).Save(&img, 0));
    img.Empty();
    Signals sig;
    CPageImage a;
    ASSERT_EQ(Load(tmp, a, Signals::Event()), 1);
    EXPECT_EQ(sig.posts.size(), 10u);
    a.Empty();
    Signals::testsUntilStop = 0;
    EXPECT_EQ(Load(tmp, a, Signals::Event()), 2);
    a.Empty();
    Signals::testsUntilStop = 5;
    sig.posts.clear();
    EXPECT_EQ(Load(tmp, a, Signals::Event()), 2);
    ASSERT_EQ(sig.posts.size(), 1u) << "four rows done, then the stop";
    EXPECT_EQ(sig.posts[0].first, 4u);
    a.Empty();
}

TEST(PcxCodec, ColourMapSaysWhichValueIsInk) {
    CFakeImageHost shell;
    // Two rows of 16 pixels: 0F F0 and 00 FF as stored.
    const std::vector<std::uint8_t> data = {0x0F, 0xC1, 0xF0, 0x00, 0xC1, 0xFF};
    const std::vector<std::uint8_t> asStored = {0x0F, 0xF0, 0x00, 0xFF};
    const std::vector<std::uint8_t> inverted = {0xF0, 0x0F, 0xFF, 0x00};
    struct Case {
        const char* what;
        std::uint8_t version;
        std::vector<std::uint8_t> zero, one;  // the first two colour-map entries
        const std::vector<std::uint8_t>& plane;
    } cases[] = {
        {"entry 0 black, entry 1 white: 1 is paper", 5, {0, 0, 0}, {255, 255, 255}, inverted},
        {"entry 0 dark grey, entry 1 light grey", 2, {40, 40, 40}, {220, 220, 220}, inverted},
        {"entry 0 white, the rest black, as written here", 5, {255, 255, 255}, {0, 0, 0}, asStored},
        {"no colour map at all", 5, {0, 0, 0}, {0, 0, 0}, asStored},
        {"version 3 files carry no colour map", 3, {0, 0, 0}, {255, 255, 255}, asStored},
    };
    for (const Case& c : cases) {
        auto f = Header(16, 2, 2, c.version);
        std::copy(c.zero.begin(), c.zero.end(), f.begin() + 16);
        std::copy(c.one.begin(), c.one.end(), f.begin() + 19);
        f.insert(f.end(), data.begin(), data.end());
        TempFile tmp(".pcx");
        tmp.Put(f);
        CPageImage img;
        ASSERT_EQ(Load(tmp, img), 1) << c.what;
        EXPECT_EQ(codectest::Plane(img), c.plane) << c.what;
        img.Empty();
    }
}

TEST(PcxCodec, OwnFilesReadBackUnchangedWhateverTheInk) {
    CFakeImageHost shell;
    // Pages mostly black and mostly white both come back as they were: the
    // colour map written here keeps 1 as ink.
    for (Page page : {testpages::Text(120, 40, 55), testpages::Blank(64, 8)}) {
        for (int pass = 0; pass < 2; ++pass) {
            CPageImage img;
            codectest::Fill(img, page);
            TempFile tmp(".pcx");
            ASSERT_TRUE(CPcxCodec(tmp.path.c_str()).Save(&img, 0));
            const auto bytes = tmp.Bytes();
            EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 16, bytes.begin() + 22),
                      (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0, 0, 0}));
            CPageImage back;
            ASSERT_EQ(Load(tmp, back), 1);
            EXPECT_EQ(codectest::Plane(back), page.bits);
            img.Empty();
            back.Empty();
            for (auto& b : page.bits) b = static_cast<std::uint8_t>(~b);
        }
    }
}

TEST(PcxCodec, DeclaredSizeTheDataCannotFillIsRefusedBeforeAllocating) {
    CFakeImageHost shell;
    // 65536 x 65536 pixels would be a 512 MiB plane; 4096 x 65536 is within
    // the limit but 64 bytes cannot code its 32 MiB.
    for (auto [width, height] : {std::pair<unsigned, unsigned>{65536, 65536}, {4096, 65536}}) {
        auto f = Header(width, height, (width + 7) / 8);
        f.insert(f.end(), 64, 0xFF);
        TempFile tmp(".pcx");
        tmp.Put(f);
        CPageImage img;
        EXPECT_EQ(Load(tmp, img), 0) << width << " x " << height;
        EXPECT_EQ(img.m_hBits, nullptr) << "no plane was allocated";
        img.Empty();
    }
    // The same page with data enough to fill it loads: 32 bytes code 1008 bytes.
    auto f = Header(4096, 2, 512);
    for (int i = 0; i < 16; ++i) f.insert(f.end(), {0xFF, 0x00});
    f.insert(f.end(), {0xD0, 0x00});  // the last 16 bytes
    TempFile tmp(".pcx");
    tmp.Put(f);
    CPageImage img;
    EXPECT_EQ(Load(tmp, img), 1);
    img.Empty();
}
