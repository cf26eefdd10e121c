// A SANE backend for tests, "pagefeed": a sheet feeder whose sheets are the
// PGM and PBM files of the folder $SUITE_PAGEFEED_DIR, in name order. Each
// sane_start takes the next file; after the last one the feeder is empty. It
// offers a simplex and a duplex feeder source, gray and lineart modes (lineart
// of a PGM page cuts at 128) and a resolution option that it only stores.
#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Sheet {
    int width = 0, height = 0;
    bool bilevel = false;
    std::vector<SANE_Byte> rows;  // SANE's rows: 8-bit gray, or 1-bit with 1 black
};

struct Feeder {
    std::vector<std::filesystem::path> files;
    std::size_t next = 0;
    std::string source = "ADF Front", mode = "Gray";
    SANE_Word resolution = 200;
    Sheet sheet;
    std::size_t sent = 0;
    bool scanning = false;
};
Feeder feeder;

SANE_String_Const kSources[] = {"ADF Front", "ADF Duplex", nullptr};
SANE_String_Const kModes[] = {SANE_VALUE_SCAN_MODE_GRAY, SANE_VALUE_SCAN_MODE_LINEART, nullptr};
const SANE_Range kResolutions = {50, 600, 1};

SANE_Option_Descriptor options[4];
SANE_Device device = {"pagefeed", "Suite", "page feeder", "sheetfed scanner"};
const SANE_Device* devices[] = {&device, nullptr};

void describe() {
    options[0] = {SANE_NAME_NUM_OPTIONS, SANE_TITLE_NUM_OPTIONS, SANE_DESC_NUM_OPTIONS, SANE_TYPE_INT,
                  SANE_UNIT_NONE, sizeof(SANE_Word), SANE_CAP_SOFT_DETECT, SANE_CONSTRAINT_NONE, {nullptr}};
    options[1] = {SANE_NAME_SCAN_SOURCE, SANE_TITLE_SCAN_SOURCE, SANE_DESC_SCAN_SOURCE, SANE_TYPE_STRING,
                  SANE_UNIT_NONE, 32, SANE_CAP_SOFT_SELECT | SANE_CAP_SOFT_DETECT, SANE_CONSTRAINT_STRING_LIST,
                  {nullptr}};
    options[1].constraint.string_list = kSources;
    options[2] = {SANE_NAME_SCAN_MODE, SANE_TITLE_SCAN_MODE, SANE_DESC_SCAN_MODE, SANE_TYPE_STRING,
                  SANE_UNIT_NONE, 32, SANE_CAP_SOFT_SELECT | SANE_CAP_SOFT_DETECT, SANE_CONSTRAINT_STRING_LIST,
                  {nullptr}};
    options[2].constraint.string_list = kModes;
    options[3] = {SANE_NAME_SCAN_RESOLUTION, SANE_TITLE_SCAN_RESOLUTION, SANE_DESC_SCAN_RESOLUTION, SANE_TYPE_INT,
                  SANE_UNIT_DPI, sizeof(SANE_Word), SANE_CAP_SOFT_SELECT | SANE_CAP_SOFT_DETECT,
                  SANE_CONSTRAINT_RANGE, {nullptr}};
    options[3].constraint.range = &kResolutions;
}

bool readNumber(std::ifstream& in, int& value) {
    in >> std::ws;
    while (in.peek() == '#') {
        std::string comment;
        std::getline(in, comment);
        in >> std::ws;
    }
    return static_cast<bool>(in >> value);
}

bool load(const std::filesystem::path& path, Sheet& sheet) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    in >> magic;
    int maxval = 1;
    if (!readNumber(in, sheet.width) || !readNumber(in, sheet.height)) return false;
    if (magic == "P5" && (!readNumber(in, maxval) || maxval != 255)) return false;
    if ((magic != "P5" && magic != "P4") || sheet.width <= 0 || sheet.height <= 0) return false;
    in.get();
    const std::size_t inRow = magic == "P4" ? (std::size_t(sheet.width) + 7) / 8 : std::size_t(sheet.width);
    std::vector<SANE_Byte> raw(inRow * std::size_t(sheet.height));
    if (!in.read(reinterpret_cast<char*>(raw.data()), std::streamsize(raw.size()))) return false;
    sheet.bilevel = magic == "P4" || feeder.mode == SANE_VALUE_SCAN_MODE_LINEART;
    if (!sheet.bilevel || magic == "P4") {
        sheet.rows = std::move(raw);
        return true;
    }
    const std::size_t outRow = (std::size_t(sheet.width) + 7) / 8;
    sheet.rows.assign(outRow * std::size_t(sheet.height), 0);
    for (int y = 0; y < sheet.height; ++y)
        for (int x = 0; x < sheet.width; ++x)
            if (raw[std::size_t(y) * inRow + std::size_t(x)] < 128)
                sheet.rows[std::size_t(y) * outRow + std::size_t(x) / 8] |= SANE_Byte(0x80 >> (x % 8));
    return true;
}

}  // namespace

extern "C" {

SANE_Status sane_pagefeed_init(SANE_Int* version, SANE_Auth_Callback) {
    if (version) *version = SANE_VERSION_CODE(1, 0, 0);
    describe();
    feeder = Feeder{};
    if (const char* folder = std::getenv("SUITE_PAGEFEED_DIR")) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".pgm" || ext == ".pbm") feeder.files.push_back(entry.path());
        }
        std::sort(feeder.files.begin(), feeder.files.end());
    }
    return SANE_STATUS_GOOD;
}

void sane_pagefeed_exit() {}

SANE_Status sane_pagefeed_get_devices(const SANE_Device*** list, SANE_Bool) {
    *list = devices;
    return SANE_STATUS_GOOD;
}

SANE_Status sane_pagefeed_open(SANE_String_Const name, SANE_Handle* handle) {
    if (name && *name && std::strcmp(name, device.name) != 0) return SANE_STATUS_INVAL;
    *handle = &feeder;
    return SANE_STATUS_GOOD;
}

void sane_pagefeed_close(SANE_Handle) {}

const SANE_Option_Descriptor* sane_pagefeed_get_option_descriptor(SANE_Handle, SANE_Int option) {
    return option >= 0 && option < 4 ? &options[option] : nullptr;
}

SANE_Status sane_pagefeed_control_option(SANE_Handle, SANE_Int option, SANE_Action action, void* value,
                                         SANE_Int* info) {
    if (info) *info = 0;
    if (option < 0 || option >= 4 || !value) return SANE_STATUS_INVAL;
    std::string* text = option == 1 ? &feeder.source : option == 2 ? &feeder.mode : nullptr;
    if (action == SANE_ACTION_GET_VALUE) {
        if (option == 0) *static_cast<SANE_Word*>(value) = 4;
        if (option == 3) *static_cast<SANE_Word*>(value) = feeder.resolution;
        if (text) std::strcpy(static_cast<char*>(value), text->c_str());
        return SANE_STATUS_GOOD;
    }
    if (action != SANE_ACTION_SET_VALUE || option == 0) return SANE_STATUS_INVAL;
    if (option == 3) {
        feeder.resolution = *static_cast<SANE_Word*>(value);
        return SANE_STATUS_GOOD;
    }
    for (const SANE_String_Const* c = options[option].constraint.string_list; *c; ++c)
        if (std::strcmp(*c, static_cast<const char*>(value)) == 0) {
            *text = *c;
            return SANE_STATUS_GOOD;
        }
    return SANE_STATUS_INVAL;
}

SANE_Status sane_pagefeed_start(SANE_Handle) {
    if (feeder.next >= feeder.files.size()) return SANE_STATUS_NO_DOCS;
    feeder.sheet = Sheet{};
    if (!load(feeder.files[feeder.next++], feeder.sheet)) return SANE_STATUS_IO_ERROR;
    feeder.sent = 0;
    feeder.scanning = true;
    return SANE_STATUS_GOOD;
}

SANE_Status sane_pagefeed_get_parameters(SANE_Handle, SANE_Parameters* p) {
    const Sheet& s = feeder.sheet;
    p->format = SANE_FRAME_GRAY;
    p->last_frame = SANE_TRUE;
    p->pixels_per_line = s.width;
    p->lines = s.height;
    p->depth = s.bilevel ? 1 : 8;
    p->bytes_per_line = s.bilevel ? (s.width + 7) / 8 : s.width;
    return SANE_STATUS_GOOD;
}

SANE_Status sane_pagefeed_read(SANE_Handle, SANE_Byte* data, SANE_Int max, SANE_Int* length) {
    *length = 0;
    if (!feeder.scanning) return SANE_STATUS_CANCELLED;
    const std::vector<SANE_Byte>& rows = feeder.sheet.rows;
    if (feeder.sent >= rows.size()) {
        feeder.scanning = false;
        return SANE_STATUS_EOF;
    }
    const std::size_t n = std::min(rows.size() - feeder.sent, std::size_t(std::max(max, 0)));
    std::memcpy(data, rows.data() + feeder.sent, n);
    feeder.sent += n;
    *length = SANE_Int(n);
    return SANE_STATUS_GOOD;
}

void sane_pagefeed_cancel(SANE_Handle) { feeder.scanning = false; }

SANE_Status sane_pagefeed_set_io_mode(SANE_Handle, SANE_Bool blocking) {
    return blocking ? SANE_STATUS_GOOD : SANE_STATUS_UNSUPPORTED;
}

SANE_Status sane_pagefeed_get_select_fd(SANE_Handle, SANE_Int*) { return SANE_STATUS_UNSUPPORTED; }

}  // extern "C"
