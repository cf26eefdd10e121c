// The glue's two dialogs: choosing the scanner among those found, and the
// scanner's settings shown before an acquisition (device, colour mode,
// resolution, document feeder). Both run modally on the calling thread.
#pragma once

#include <string>
#include <vector>

#include "outside/vantor32/source_settings.h"
#include "platform/win/types.h"

namespace vantor {

// Control ids of the dialogs (scripts of tests fill them).
enum SourceDialogControl : int {
    kDeviceListId = 1001,   // list box (choice) or drop-down list (settings) of the devices
    kModeListId = 1002,     // drop-down list: colour, grey, black and white
    kResolutionId = 1003,   // edit: dots an inch
    kFeederId = 1004,       // check box: every page of the document feeder
};

// The device chosen among `devices` (the current one selected first); false
// when the user cancelled.
bool ChooseDevice(HWND owner, const std::vector<std::string>& devices, std::string& device);
// The settings, edited; false when the user cancelled or the values are out of range.
bool EditSettings(HWND owner, const std::vector<std::string>& devices, SourceSettings& settings);

}  // namespace vantor
