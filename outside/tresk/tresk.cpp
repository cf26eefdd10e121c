// Chinese recognition: line cutting by projection profiles, recognition of
// each block through Tesseract's Chinese models, characters in GBK or Big5.

#include "outside/include/tresk.h"

#include <algorithm>
#include <leptonica/allheaders.h>
#include <string>

#include "outside/ocrkit/bands.h"
#include "outside/ocrkit/chain.h"
#include "outside/ocrkit/codepage.h"
#include "outside/ocrkit/glyph_shapes.h"
#include "outside/ocrkit/plane.h"
#include "outside/ocrkit/tess.h"
#include "outside/tresk/block_result.h"
#include "outside/tresk/sheared_block.h"
#include "platform/win/memory.h"

namespace {

using ocrkit::PlaneView;

// The plane behind a movable block, locked for the lifetime of this object.
class LockedPlane {
public:
    LockedPlane(void* handle, short width, short height) : handle_(handle) {
        if (!handle || width <= 0 || height <= 0) return;
        std::size_t need = static_cast<std::size_t>((width + 7) / 8) * static_cast<std::size_t>(height);
        if (GlobalSize(handle) < need) return;
        auto* bits = static_cast<const std::uint8_t*>(GlobalLock(handle));
        if (!bits) return;
        locked_ = true;
        view_ = PlaneView(bits, width, height);
    }
    ~LockedPlane() {
        if (locked_) GlobalUnlock(handle_);
    }
    bool ok() const { return locked_; }
    const PlaneView& view() const { return view_; }

private:
    void* handle_;
    bool locked_ = false;
    PlaneView view_;
};

using ocrkit::appendNew;

void freeSeg(_seg_regioninfo* seg) {
    ocrkit::freeChain(seg, [](_seg_regioninfo* s) { ocrkit::freeChain(s->pLines); });
}

// Lines of a block: rows of ink for horizontal text, columns (right to left)
// for vertical text.
_seg_lineinfo* cutLines(const PlaneView& p, const ocrkit::Box& box, bool vertical, int& count) {
    count = 0;
    auto profile = vertical ? ocrkit::columnProfile(p, box) : ocrkit::rowProfile(p, box);
    auto bands = ocrkit::findBands(profile, 2);
    if (vertical) std::reverse(bands.begin(), bands.end());
    _seg_lineinfo* head = nullptr;
    _seg_lineinfo** tail = &head;
    for (auto [a, b] : bands) {
        _seg_lineinfo* l = appendNew(tail);
        if (!l) {
            ocrkit::freeChain(head);
            count = -1;
            return nullptr;
        }
        if (vertical)
            ocrkit::setBox(*l, ocrkit::Box{box.left + a, box.top, box.left + b, box.bottom});
        else
            ocrkit::setBox(*l, ocrkit::Box{box.left, box.top + a, box.right, box.top + b});
        ++count;
    }
    return head;
}

// The models a code letter and traditional flag ask for.
std::string languagesFor(int code, int traditional, bool vertical) {
    std::string sim = vertical ? "chi_sim_vert" : "chi_sim";
    std::string tra = vertical ? "chi_tra_vert" : "chi_tra";
    if (!traditional) return sim;
    if (code == 'K') return sim + "+" + tra;
    return tra;
}

}  // namespace

OUTSIDE_EXPORT int OR_CHN40_Init(char* folder) {
    std::string f = folder ? folder : "";
    return ocrkit::findModelFolder("chi_sim", f).empty() && ocrkit::findModelFolder("chi_tra", f).empty() ? 0 : 1;
}

OUTSIDE_EXPORT void OR_CHN40_Term() { ocrkit::Engine::releaseThread(); }

OUTSIDE_EXPORT _seg_regioninfo* OR_CHN40_SegImg(void* plane, short width, short height, _recblock* blocks,
                                                char* /*folder*/) {
    if (!blocks) return nullptr;
    LockedPlane locked(plane, width, height);
    if (!locked.ok()) return nullptr;
    const PlaneView& p = locked.view();
    _seg_regioninfo* head = nullptr;
    _seg_regioninfo** tail = &head;
    for (_recblock* b = blocks; b; b = b->next) {
        _seg_regioninfo* s = appendNew(tail);
        if (!s) {
            freeSeg(head);
            return nullptr;
        }
        s->bVertical = b->bVertical ? 1 : 0;
        ocrkit::Box box = p.clip(ocrkit::Box{b->left, b->top, b->right, b->bottom});
        s->left = box.left;
        s->top = box.top;
        s->right = box.right;
        s->bottom = box.bottom;
        if (box.empty()) continue;
        int count = 0;
        s->pLines = cutLines(p, box, s->bVertical != 0, count);
        if (count < 0) {
            freeSeg(head);
            return nullptr;
        }
        s->nLines = static_cast<SHORT>(std::min(count, 32767));
    }
    return head;
}

OUTSIDE_EXPORT _regioninfo* OR_CHN40_Recog(_seg_regioninfo* seg, void* plane, short width, short height,
                                           char* folder, int code, int traditional, int /*reserved*/,
                                           TRESK_TEXT_CALLBACK text, TRESK_PUMP_CALLBACK pump) {
    if (!seg) return nullptr;
    if (code != 'G' && code != 'K' && code != 'B') return nullptr;
    LockedPlane locked(plane, width, height);
    if (!locked.ok()) return nullptr;
    std::string programFolder = folder ? folder : "";
    const int codePage = code == 'B' ? 950 : 936;
    // The glyphs behind the candidates are read (or drawn), for this code
    // page alone, while the first block is recognised; they are waited for
    // when its characters are put together.
    ocrkit::GlyphShapes::prepare(codePage);
    tresk::Output out{codePage, text, &locked.view(), nullptr};
    auto withShapes = [&] {
        if (!out.shapes) out.shapes = ocrkit::GlyphShapes::forCodePage(codePage);
    };
    Pix* pix = ocrkit::toPix(locked.view(), 3);
    if (!pix) return nullptr;
    bool cancelled = false;
    ocrkit::CancelCheck check = ocrkit::pumpCheck(pump, cancelled);
    _regioninfo* head = nullptr;
    _regioninfo** tail = &head;
    bool failed = false;
    for (_seg_regioninfo* s = seg; s && !failed; s = s->next) {
        _regioninfo* r = appendNew(tail);
        if (!r) {
            failed = true;
            break;
        }
        r->bVertical = s->bVertical;
        r->left = s->left;
        r->top = s->top;
        r->right = s->right;
        r->bottom = s->bottom;
        if (check()) break;
        ocrkit::Box box{s->left, s->top, s->right, s->bottom};
        if (box.empty() || s->nLines == 0) continue;
        ocrkit::Engine* engine =
            ocrkit::Engine::forThread(languagesFor(code, traditional, s->bVertical != 0), programFolder);
        if (!engine) {
            failed = true;
            break;
        }
        std::vector<ocrkit::Line> lines;
        // Columns that lean on a slanted page are read on a copy of the
        // block sheared upright, and the results taken back onto the page;
        // thin strokes that a light scan broke are thickened on the copy,
        // in vertical and horizontal blocks alike.
        const double slant = s->bVertical ? tresk::columnSlant(locked.view(), box) : 0.0;
        const bool thin = tresk::thinStrokes(locked.view(), box);
        if (slant != 0.0 || thin) {
            tresk::ShearedBlock sheared(locked.view(), box, slant, thin);
            Pix* blockPix = ocrkit::toPix(sheared.view(), 3);
            const bool read = blockPix && engine->recognise(blockPix, sheared.inside(), s->bVertical != 0, check, lines);
            pixDestroy(&blockPix);
            if (!read) {
                failed = true;
                break;
            }
            withShapes();
            tresk::Output blockOut = out;
            blockOut.plane = &sheared.view();
            if (!tresk::buildBlock(lines, s->bVertical != 0, blockOut, r)) failed = true;
            sheared.toPage(*r);
            continue;
        }
        if (!engine->recognise(pix, box, s->bVertical != 0, check, lines)) {
            failed = true;
            break;
        }
        withShapes();
        if (!tresk::buildBlock(lines, s->bVertical != 0, out, r)) failed = true;
    }
    pixDestroy(&pix);
    if (failed || cancelled) {
        tresk::freeResult(head);
        return nullptr;
    }
    return head;
}

OUTSIDE_EXPORT void OR_CHN40_FreeSegInfo(_seg_regioninfo* seg) { freeSeg(seg); }

extern "C" __attribute__((visibility("default"))) void TreskFreeResult(_regioninfo* result) __asm__(
    OUTSIDE_ORDINAL_SYMBOL(7));
void TreskFreeResult(_regioninfo* result) { tresk::freeResult(result); }

static_assert(std::is_same_v<decltype(&TreskFreeResult), PFN_TRESK_FREERESULT>);
