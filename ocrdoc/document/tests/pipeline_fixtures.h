// What the pipeline's tests share: a page without a window whose hooks are
// recorded, pages rendered by the test-page library put on it, page settings
// by name, scripted engine entries, and the text of the store as UTF-8.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "imaging/codecs/codec_factory.h"
#include "imaging/codecs/image_file_type.h"
#include "ocrdoc/document/ocr_page.h"
#include "ocrdoc/document/outside_library.h"
#include "outside/include/pendril20.h"
#include "outside/tests/pages.h"
#include "platform/afx/ui/cmdtarget.h"
#include "platform/win/codepage.h"
#include "platform/win/memory.h"

class CTestPage : public COcrPage {
public:
    std::vector<LPARAM> hints;
    std::vector<RECT> hintRects;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answerYes = true;
    int textColumnShows = 0;
    bool viewText = false;
    int pumps = 0;
    int waits = 0;

    bool ReadPageSettings() override { return m_settings.valid; }
    void UpdateViews(LPARAM hint, const RECT* rect) override {
        hints.push_back(hint);
        hintRects.push_back(rect ? *rect : RECT{});
    }
    void ShowTextColumn() override { ++textColumnShows; }
    void SetViewText(bool shown) override { viewText = shown; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answerYes;
    }
    void PumpPending() override { ++pumps; }
    void BeginWait() override { ++waits; }
    bool HasHint(LPARAM hint) const {
        for (LPARAM h : hints)
            if (h == hint) return true;
        return false;
    }
    void SetPath(const std::string& path) { m_strPagePath = path; }
};

// Settings by the indexes of the language (0 简体, 1 简繁, 2 英文) and type
// (0 自动 .. 4 手写) names.
inline PageSettings TestSettings(int language, int type) {
    PageSettings s = PageSettings::Defaults();
    s.valid = true;
    s.language = s.languageNames[language];
    s.type = s.typeNames[type];
    return s;
}

// A 1-bit page image holding the plane.
inline CPageImage* ImageOfPlane(const testpages::Plane& plane) {
    auto* image = new CPageImage;
    image->m_nWidth = plane.width;
    image->m_nHeight = plane.height;
    image->m_nBitCount = 1;
    image->AllocBits(image->PlaneBytes());
    std::memcpy(GlobalLock(image->m_hBits), plane.bits.data(), plane.bits.size());
    GlobalUnlock(image->m_hBits);
    return image;
}

// Writes the plane as an image file through the codec of its extension.
inline bool SavePlaneAsImage(const testpages::Plane& plane, const std::string& path) {
    CPageImage page;
    page.m_nWidth = plane.width;
    page.m_nHeight = plane.height;
    page.m_nBitCount = 1;
    if (!page.AllocBits(page.PlaneBytes())) return false;
    std::memcpy(GlobalLock(page.m_hBits), plane.bits.data(), plane.bits.size());
    GlobalUnlock(page.m_hBits);
    int type = IMGTYPE_UNKNOWN;
    CImageCodec* codec = GetImageFileType(path.c_str(), &type) ? CreateImageCodec(path.c_str(), type) : nullptr;
    const bool saved = codec && codec->Save(&page, 0);
    delete codec;
    page.Empty();
    return saved;
}

// An empty white 1-bit page.
inline testpages::Plane BlankPlane(int width, int height) {
    testpages::Plane p;
    p.width = width;
    p.height = height;
    p.bits.assign(static_cast<std::size_t>(p.stride()) * height, 0);
    return p;
}

inline void PutPlane(COcrPage& page, const testpages::Plane& plane) {
    page.FreePage();
    page.m_pImage = ImageOfPlane(plane);
    page.m_pPageRegion = new CPageRegion(RECT{0, 0, plane.width, plane.height});
}

// Puts a scripted entry in place of an engine's for the life of the object.
class CScopedEntry {
public:
    template <typename F>
    CScopedEntry(const char* dll, const char* entry, F fn) : dll_(dll), entry_(entry) {
        SetOutsideEntryOverride(dll, entry, reinterpret_cast<FARPROC>(fn));
    }
    ~CScopedEntry() { SetOutsideEntryOverride(dll_.c_str(), entry_.c_str(), nullptr); }
    CScopedEntry(const CScopedEntry&) = delete;
    CScopedEntry& operator=(const CScopedEntry&) = delete;

private:
    std::string dll_, entry_;
};

// A scripted English engine's answer: "Hi" in each of the blocks it is given,
// held by the object until the next answer.
struct EnglishHiAnswer {
    std::vector<_regioninfoeng> entries;
    std::vector<_lineinfoeng> lines;
    std::vector<_wordinfoeng> words;
    std::vector<_charinfoeng> chars;
    _regioninfoeng* Make(std::size_t n) {
        entries.assign(n, _regioninfoeng{});
        lines.assign(n, _lineinfoeng{});
        words.assign(n, _wordinfoeng{});
        chars.assign(2 * n, _charinfoeng{});
        for (std::size_t i = 0; i < n; ++i) {
            _charinfoeng& h = chars[2 * i];
            _charinfoeng& k = chars[2 * i + 1];
            h = _charinfoeng{1, {'H'}, 20, 100, 120, 50, 60, 0, &k};
            k = _charinfoeng{1, {'i'}, 20, 100, 120, 62, 66, 0, nullptr};
            words[i] = _wordinfoeng{2, 0, &h, nullptr};
            lines[i] = _lineinfoeng{&words[i], 100, 120, 50, 66, nullptr};
            entries[i] = _regioninfoeng{1, &lines[i], i + 1 < n ? &entries[i + 1] : nullptr};
        }
        return n ? entries.data() : nullptr;
    }
};

// The store's text as plain UTF-8.
inline std::string StoreUtf8(const CRecoResult& store, UINT codePage = 936) {
    return suite::AnsiToUtf8(store.PlainText(0, store.m_nTextLen), codePage);
}

// One unit of the text form.
inline std::string Unit(BYTE b1, BYTE b2, UINT index) {
    const char u[6] = {'\x80', static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(index & 0xFF),
                       static_cast<char>(index >> 8), '\x80'};
    return std::string(u, 6);
}

// A record with a horizontal box and line geometry.
inline RecoCharInfo TestRecord(int left, int top, int width, int height, WORD block) {
    RecoCharInfo r{};
    r.nLineX = static_cast<SHORT>(left);
    r.nLineY = static_cast<SHORT>(top);
    r.nLineThick = static_cast<SHORT>(height);
    r.nLineLen = static_cast<SHORT>(width);
    r.wBlock = block;
    r.nBoxAcross = static_cast<SHORT>(top);
    r.nBoxAlong = static_cast<SHORT>(left);
    r.nBoxThick = static_cast<SHORT>(height);
    r.nBoxLen = static_cast<SHORT>(width);
    r.chClass = 'A';
    return r;
}

// Records what a command's update handler asked of its menu item.
class CRecordingCmdUI : public CCmdUI {
public:
    BOOL enabled = -1;
    int check = -1;
    void Enable(BOOL on) override { enabled = on; }
    void SetCheck(int c) override { check = c; }
};
