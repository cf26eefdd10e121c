#include "outside/scan/sane_device.h"

#include <algorithm>
#include <chrono>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <thread>

#include <dlfcn.h>

namespace scan {
namespace {

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool contains(const std::string& text, const char* part) { return lower(text).find(part) != std::string::npos; }

// The first choice whose lower-cased text holds one of `parts`.
std::optional<std::string> pick(const std::vector<std::string>& choices, std::initializer_list<const char*> parts) {
    for (const char* part : parts)
        for (const std::string& c : choices)
            if (contains(c, part)) return c;
    return std::nullopt;
}

// Rows of at most this many bytes and pages of at most this many are read.
constexpr std::size_t kMaxRowBytes = 1u << 20;
constexpr std::size_t kMaxPageBytes = std::size_t(1) << 31;
// A page whose device sends nothing for this long is given up.
constexpr auto kStall = std::chrono::seconds(60);
// How long the last byte of a page waits for the backend's reader thread to end.
constexpr auto kReaderEnd = std::chrono::milliseconds(300);

// The threads of this process now: the entries of /proc/self/task (0 when
// they cannot be counted).
int ThreadCount() {
    std::error_code ec;
    int count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end; it.increment(ec)) ++count;
    return ec ? 0 : count;
}

// Waits, at most `bound`, until the process has no more than `count` threads.
void AwaitThreadCount(int count, std::chrono::milliseconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (ThreadCount() > count && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

std::recursive_mutex& SaneLock() {
    static std::recursive_mutex lock;
    return lock;
}

namespace {
bool started = false;
}  // namespace

void StopSane() {
    // SANE stays initialised for the life of the process: sane_exit would
    // unload backends whose reader threads may still be winding down, and
    // the next ScanInit finds the devices again either way.
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
}

bool EnsureSaneStarted() {
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    if (!started) {
        SANE_Int version = 0;
        started = sane_init(&version, nullptr) == SANE_STATUS_GOOD;
        // This library may be unloaded and loaded again by its user; SANE and
        // the backends it opened stay, with what they hold, for the life of
        // the process (see StopSane), so pin SANE's own library in memory.
        Dl_info where{};
        if (started && dladdr(reinterpret_cast<void*>(&sane_init), &where) && where.dli_fname)
            dlopen(where.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return started;
}

std::vector<std::string> ListDevices() {
    std::vector<std::string> names;
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    if (!EnsureSaneStarted()) return names;
    const SANE_Device** list = nullptr;
    if (sane_get_devices(&list, SANE_TRUE) != SANE_STATUS_GOOD || !list) return names;
    for (const SANE_Device** d = list; *d; ++d)
        if ((*d)->name) names.emplace_back((*d)->name);
    return names;
}

std::string ChooseDevice(const std::vector<std::string>& devices) {
    if (const char* wanted = std::getenv("SUITE_SCAN_DEVICE"); wanted && *wanted) {
        for (const std::string& d : devices)
            if (d == wanted) return d;
        return {};
    }
    return devices.empty() ? std::string() : devices.front();
}

SaneDevice::~SaneDevice() { close(); }

bool SaneDevice::open(const std::string& name) {
    close();
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    if (name.empty() || !EnsureSaneStarted()) return false;
    SANE_Handle h = nullptr;
    if (sane_open(name.c_str(), &h) != SANE_STATUS_GOOD) return false;
    handle_ = h;
    return true;
}

void SaneDevice::close() {
    if (!handle_) return;
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    sane_close(handle_);
    handle_ = nullptr;
}

const SANE_Option_Descriptor* SaneDevice::descriptor(int index) const {
    if (!handle_ || index < 0) return nullptr;
    return sane_get_option_descriptor(handle_, index);
}

int SaneDevice::find(const char* name) const {
    if (!handle_) return -1;
    for (int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = descriptor(i);
        if (!d) return -1;
        if (d->name && std::strcmp(d->name, name) == 0) return SANE_OPTION_IS_ACTIVE(d->cap) ? i : -1;
    }
}

bool SaneDevice::settable(int index) const {
    const SANE_Option_Descriptor* d = descriptor(index);
    return d && SANE_OPTION_IS_ACTIVE(d->cap) && SANE_OPTION_IS_SETTABLE(d->cap);
}

std::vector<std::string> SaneDevice::choices(int index) const {
    std::vector<std::string> out;
    const SANE_Option_Descriptor* d = descriptor(index);
    if (d && d->constraint_type == SANE_CONSTRAINT_STRING_LIST && d->constraint.string_list)
        for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s) out.emplace_back(*s);
    return out;
}

bool SaneDevice::setString(const char* name, const std::string& value) {
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    int i = find(name);
    if (!settable(i) || descriptor(i)->type != SANE_TYPE_STRING) return false;
    std::vector<char> buffer(std::max<std::size_t>(std::size_t(descriptor(i)->size), value.size() + 1), '\0');
    std::memcpy(buffer.data(), value.c_str(), value.size());
    return sane_control_option(handle_, i, SANE_ACTION_SET_VALUE, buffer.data(), nullptr) == SANE_STATUS_GOOD;
}

bool SaneDevice::setNumber(const char* name, double value) {
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    int i = find(name);
    if (!settable(i) || descriptor(i)->size < SANE_Int(sizeof(SANE_Word))) return false;
    const SANE_Option_Descriptor* d = descriptor(i);
    SANE_Word word = 0;
    if (d->type == SANE_TYPE_FIXED)
        word = SANE_FIX(value);
    else if (d->type == SANE_TYPE_INT)
        word = SANE_Word(std::lround(value));
    else
        return false;
    // Options holding arrays take the value in every element.
    std::vector<SANE_Word> words(std::size_t(d->size) / sizeof(SANE_Word), word);
    return sane_control_option(handle_, i, SANE_ACTION_SET_VALUE, words.data(), nullptr) == SANE_STATUS_GOOD;
}

std::optional<double> SaneDevice::getNumber(int index) const {
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    const SANE_Option_Descriptor* d = descriptor(index);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || d->size < SANE_Int(sizeof(SANE_Word))) return std::nullopt;
    std::vector<SANE_Word> words(std::size_t(d->size) / sizeof(SANE_Word) + 1, 0);
    if (sane_control_option(handle_, index, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD)
        return std::nullopt;
    if (d->type == SANE_TYPE_FIXED) return SANE_UNFIX(words[0]);
    if (d->type == SANE_TYPE_INT || d->type == SANE_TYPE_BOOL) return double(words[0]);
    return std::nullopt;
}

std::vector<int> SaneDevice::hardSelectOptions() const {
    std::vector<int> out;
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    for (int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = descriptor(i);
        if (!d) break;
        if ((d->cap & SANE_CAP_HARD_SELECT) && (d->cap & SANE_CAP_SOFT_DETECT) && SANE_OPTION_IS_ACTIVE(d->cap) &&
            (d->type == SANE_TYPE_BOOL || d->type == SANE_TYPE_INT))
            out.push_back(i);
    }
    return out;
}

std::vector<int> SaneDevice::readHardSelect(const std::vector<int>& options) const {
    std::vector<int> out;
    for (int i : options) {
        std::optional<double> v = getNumber(i);
        out.push_back(v && *v != 0 ? 1 : 0);
    }
    return out;
}

void SaneDevice::cancel() {
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    if (handle_) sane_cancel(handle_);
}

PageResult SaneDevice::readFrame(RawFrame& frame) {
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    frame = RawFrame{};
    if (!handle_) return PageResult::Failed;
    const int threadsBefore = ThreadCount();
    SANE_Status status = sane_start(handle_);
    // Some backends read the device in a thread of their own, started here,
    // and end it when the page's last byte is read by cancelling it at once
    // wherever it is: a thread cancelled inside the C library or the loader
    // leaves their locks held, and the next file written here waits for ever.
    // Such a page's last byte is therefore asked for only once that thread
    // has ended by itself (it does once it has handed over the page), or a
    // short while has passed.
    const bool readerThread = threadsBefore > 0 && ThreadCount() > threadsBefore;
    bool awaitedReader = false;
    if (status == SANE_STATUS_NO_DOCS) return PageResult::NoMoreDocuments;
    if (status == SANE_STATUS_JAMMED) return PageResult::Jammed;
    if (status == SANE_STATUS_CANCELLED) return PageResult::Cancelled;
    if (status != SANE_STATUS_GOOD) return PageResult::Failed;
    SANE_Parameters& p = frame.params;
    if (sane_get_parameters(handle_, &p) != SANE_STATUS_GOOD || p.pixels_per_line <= 0 || p.bytes_per_line <= 0 ||
        std::size_t(p.bytes_per_line) > kMaxRowBytes ||
        !(p.format == SANE_FRAME_GRAY || (p.format == SANE_FRAME_RGB && p.depth != 1)) ||
        !(p.depth == 1 || p.depth == 8 || p.depth == 16)) {
        sane_cancel(handle_);
        return PageResult::Failed;
    }
    // The raw rows as the device sends them, read straight into one buffer
    // (grown only when the device does not tell its height).
    std::vector<SANE_Byte>& raw = frame.bytes;
    raw.resize(p.lines > 0 ? std::size_t(p.lines) * std::size_t(p.bytes_per_line) : std::size_t(1) << 20);
    std::size_t filled = 0;
    auto lastData = std::chrono::steady_clock::now();
    for (;;) {
        if (filled == raw.size()) {
            if (raw.size() >= kMaxPageBytes) {
                sane_cancel(handle_);
                return PageResult::Failed;
            }
            raw.resize(std::min(raw.size() * 2, kMaxPageBytes));
        }
        SANE_Int got = 0;
        std::size_t room = std::min<std::size_t>(raw.size() - filled, std::size_t(1) << 24);
        if (readerThread && p.lines > 0 && filled + room >= raw.size()) {
            if (filled + 1 < raw.size()) {
                room = raw.size() - 1 - filled;
            } else if (!awaitedReader) {
                AwaitThreadCount(threadsBefore, kReaderEnd);
                awaitedReader = true;
            }
        }
        status = sane_read(handle_, raw.data() + filled, SANE_Int(room), &got);
        if (status == SANE_STATUS_EOF) break;
        if (status != SANE_STATUS_GOOD) {
            sane_cancel(handle_);
            if (status == SANE_STATUS_JAMMED) return PageResult::Jammed;
            if (status == SANE_STATUS_NO_DOCS) return PageResult::NoMoreDocuments;
            if (status == SANE_STATUS_CANCELLED) return PageResult::Cancelled;
            return PageResult::Failed;
        }
        if (got > 0) {
            filled += std::size_t(got);
            lastData = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastData > kStall) {
            // A device that stops sending without ending the page is given up.
            sane_cancel(handle_);
            return PageResult::Failed;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    raw.resize(filled - filled % std::size_t(p.bytes_per_line));
    return raw.empty() ? PageResult::Failed : PageResult::Page;
}

PageResult SaneDevice::readPage(IL_IMAGE& image, int dpi) {
    image = IL_IMAGE{};
    RawFrame frame;
    if (const PageResult r = readFrame(frame); r != PageResult::Page) return r;
    const SANE_Parameters& p = frame.params;
    const std::vector<SANE_Byte>& raw = frame.bytes;
    const std::size_t inRow = std::size_t(p.bytes_per_line);
    const LONG height = LONG(raw.size() / inRow);
    const LONG width = p.pixels_per_line;
    if (height <= 0) return PageResult::Failed;
    const int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    // Black and white stays one bit a pixel (the library's 0 is black, the
    // device's 1); everything else becomes 8 bits a sample.
    const bool bilevel = p.depth == 1;
    const DWORD outRow = bilevel ? ((DWORD(width) + 31u) / 32u) * 4u : (DWORD(width) * DWORD(channels) + 3u) & ~3u;
    auto* header = new (std::nothrow) IL_IMAGEHEADER{};
    auto* bits = static_cast<BYTE*>(std::malloc(std::size_t(outRow) * std::size_t(height)));
    if (!header || !bits) {
        delete header;
        std::free(bits);
        return PageResult::Failed;
    }
    for (LONG y = 0; y < height; ++y) {
        const SANE_Byte* src = raw.data() + std::size_t(y) * inRow;
        BYTE* dst = bits + std::size_t(y) * outRow;
        if (bilevel) {
            const std::size_t used = (std::size_t(width) + 7) / 8;
            for (std::size_t b = 0; b < used; ++b) dst[b] = BYTE(~src[b]);
            if (width % 8) dst[used - 1] |= BYTE(0xFF >> (width % 8));
            std::memset(dst + used, 0xFF, outRow - used);
            continue;
        }
        const std::size_t samples = std::size_t(width) * std::size_t(channels);
        std::memset(dst + samples, 0, outRow - samples);  // row padding
        if (p.depth == 8) {
            std::memcpy(dst, src, samples);
            continue;
        }
        for (std::size_t s = 0; s < samples; ++s) {
            std::uint16_t v;
            std::memcpy(&v, src + 2 * s, 2);
            dst[s] = BYTE(v >> 8);
        }
    }
    header->Size = sizeof(IL_IMAGEHEADER);
    header->Width = width;
    header->Height = height;
    header->BytesPerLine = outRow;
    header->BitsPerPixel = WORD(bilevel ? 1 : 8 * channels);
    header->XResolution = header->YResolution = dpi > 0 ? DWORD(dpi) : 0;
    image.Header = header;
    image.Bits = bits;
    image.Flags = IL_FLAG_FREE_AFTER_USE;
    return PageResult::Page;
}

bool IsFeederSource(const SCAN_SETTINGS& settings) { return settings.Source >= 3 && settings.Source <= 5; }

bool ApplySettings(SaneDevice& device, const SCAN_SETTINGS& s) {
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    bool duplex = false;
    if (int i = device.find(SANE_NAME_SCAN_SOURCE); i >= 0) {
        std::vector<std::string> c = device.choices(i);
        std::optional<std::string> source;
        switch (s.Source) {
            case 1: source = pick(c, {"transparen", "positive", "slide"}); break;
            case 2: source = pick(c, {"negative"}); break;
            case 3: case 4: case 5:
                if (s.Side == 2) source = pick(c, {"duplex"});
                duplex = source.has_value();
                if (!source) source = pick(c, {"feeder", "adf", "sheet"});
                break;
            default: source = pick(c, {"flatbed", "reflect"}); break;
        }
        if (source && !device.setString(SANE_NAME_SCAN_SOURCE, *source)) duplex = false;
    }
    if (int i = device.find(SANE_NAME_SCAN_MODE); i >= 0) {
        std::vector<std::string> c = device.choices(i);
        if (s.Mode == 0) {
            if (auto m = pick(c, {"color", "colour"})) device.setString(SANE_NAME_SCAN_MODE, *m);
            device.setNumber(SANE_NAME_BIT_DEPTH, 8);
        } else if (s.Mode == 2 && pick(c, {"lineart", "binary", "black"})) {
            device.setString(SANE_NAME_SCAN_MODE, *pick(c, {"lineart", "binary", "black"}));
        } else {
            if (auto m = pick(c, {"gray", "grey"})) device.setString(SANE_NAME_SCAN_MODE, *m);
            device.setNumber(SANE_NAME_BIT_DEPTH, s.Mode == 2 ? 1 : 8);
        }
    }
    if (s.Resolution > 0) device.setNumber(SANE_NAME_SCAN_RESOLUTION, s.Resolution);
    if (s.PaperArea[2] > s.PaperArea[0] && s.PaperArea[3] > s.PaperArea[1]) {
        device.setNumber(SANE_NAME_SCAN_TL_X, s.PaperArea[0] / 10.0);
        device.setNumber(SANE_NAME_SCAN_TL_Y, s.PaperArea[1] / 10.0);
        device.setNumber(SANE_NAME_SCAN_BR_X, s.PaperArea[2] / 10.0);
        device.setNumber(SANE_NAME_SCAN_BR_Y, s.PaperArea[3] / 10.0);
    }
    if (s.Brightness != 0) device.setNumber(SANE_NAME_BRIGHTNESS, s.Brightness);
    if (s.Contrast != 0) device.setNumber(SANE_NAME_CONTRAST, s.Contrast);
    if (s.Mode == 2 && s.Threshold > 0) device.setNumber(SANE_NAME_THRESHOLD, s.Threshold);
    return duplex;
}

std::vector<KEYRIDER_PAPER> PapersFor(const SaneDevice& device) {
    struct Known {
        const char* name;
        DWORD width, height;  // tenths of a millimetre
    };
    static const Known known[] = {{"A4", 2100, 2970},     {"Letter", 2159, 2794}, {"Legal", 2159, 3556},
                                  {"A5", 1480, 2100},     {"B5", 1820, 2570},     {"A6", 1050, 1480},
                                  {"Business Card", 900, 540}};
    std::vector<KEYRIDER_PAPER> out;
    std::lock_guard<std::recursive_mutex> guard(SaneLock());
    auto maxOf = [&](const char* name) -> double {
        const SANE_Option_Descriptor* d = device.descriptor(device.find(name));
        if (!d || d->constraint_type != SANE_CONSTRAINT_RANGE || !d->constraint.range) return 0;
        return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(d->constraint.range->max) : double(d->constraint.range->max);
    };
    const double maxX = maxOf(SANE_NAME_SCAN_BR_X) * 10.0;
    const double maxY = maxOf(SANE_NAME_SCAN_BR_Y) * 10.0;
    for (const Known& k : known) {
        if (k.width > maxX || k.height > maxY) continue;
        KEYRIDER_PAPER paper{};
        std::snprintf(paper.Name, sizeof paper.Name, "%s", k.name);
        paper.Area[0] = 0;
        paper.Area[1] = 0;
        paper.Area[2] = k.width;
        paper.Area[3] = k.height;
        out.push_back(paper);
    }
    return out;
}

}  // namespace scan
