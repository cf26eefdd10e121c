// The scanner settings the glue keeps per user in the registry: which device,
// the colour mode, the resolution and whether pages come from the feeder.
#pragma once

#include <string>
#include <vector>

namespace vantor {

struct SourceSettings {
    std::string device;    // SANE device name; empty: the default scanner
    int mode = 1;          // 0 colour, 1 grey, 2 black and white
    int resolution = 300;  // dots an inch
    bool feeder = false;   // every page of the document feeder, else one flatbed page
};

// Values out of range read as their defaults.
SourceSettings ReadSourceSettings();
bool WriteSourceSettings(const SourceSettings& settings);

// The device to scan with: the settings' device when it is among `devices`,
// else the default choice among them ("" when there is none).
std::string DeviceToUse(const SourceSettings& settings, const std::vector<std::string>& devices);

}  // namespace vantor
