// One SANE device of the scan library: opening, option access by name, the
// front-panel (hard-select) options, and reading one page into an IL_IMAGE.
// Not thread-safe: the library serialises every SANE call (SaneLock).
#pragma once

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "outside/include/image_library.h"
#include "outside/include/keyrider_scan.h"

namespace scan {

// sane_init once for the process, and the lock every SANE call is made under.
std::recursive_mutex& SaneLock();
bool EnsureSaneStarted();
// Called when the library stops; every device must be closed first.
void StopSane();

// The devices SANE sees now (names); the first, unless $SUITE_SCAN_DEVICE
// names another, is the scanner.
std::vector<std::string> ListDevices();
std::string ChooseDevice(const std::vector<std::string>& devices);

enum class PageResult { Page, NoMoreDocuments, Jammed, Failed, Cancelled };

// One frame as the device sends it: its parameters and its whole rows.
struct RawFrame {
    SANE_Parameters params{};
    std::vector<SANE_Byte> bytes;
};

class SaneDevice {
public:
    SaneDevice() = default;
    SaneDevice(const SaneDevice&) = delete;
    SaneDevice& operator=(const SaneDevice&) = delete;
    ~SaneDevice();

    bool open(const std::string& name);
    void close();
    bool isOpen() const { return handle_ != nullptr; }

    // Option index by name; -1 when the device has no active option of that name.
    int find(const char* name) const;
    const SANE_Option_Descriptor* descriptor(int index) const;
    bool settable(int index) const;
    // The string-list choices of an option (empty for other constraints).
    std::vector<std::string> choices(int index) const;
    bool setString(const char* name, const std::string& value);
    // Numbers go in as the option's own type (int or fixed).
    bool setNumber(const char* name, double value);
    std::optional<double> getNumber(int index) const;

    // Indexes of the options the device sets from its own panel (hard select)
    // and that can be read (soft detect), in option order.
    std::vector<int> hardSelectOptions() const;
    // Current value of each of those options as 0 / nonzero.
    std::vector<int> readHardSelect(const std::vector<int>& options) const;

    // Starts and reads one page; the image is 1-bit black and white (as the
    // device sent it), 8-bit gray or 24-bit RGB with rows padded to 4 bytes,
    // header with new, bits with malloc, flags 8.
    PageResult readPage(IL_IMAGE& image, int dpi);
    // Starts and reads one frame (grey, or single-pass RGB; 1, 8 or 16 bits
    // a sample) as the device sends it.
    PageResult readFrame(RawFrame& frame);
    void cancel();

private:
    SANE_Handle handle_ = nullptr;
};

// Applies the job's settings to the device: source (the feeder's duplex
// source when both sides are asked for), mode, resolution, area and tone.
// True when the device scans both sides.
bool ApplySettings(SaneDevice& device, const SCAN_SETTINGS& settings);
// Whether the job's source feeds several pages.
bool IsFeederSource(const SCAN_SETTINGS& settings);

// The paper sizes that fit in the device's largest scan area.
std::vector<KEYRIDER_PAPER> PapersFor(const SaneDevice& device);

}  // namespace scan
