// The job ini of one button: a "Summary" naming the button's template key,
// then the button's settings key exported from the registry, written to a
// private temporary file.
#pragma once

#include <string>

namespace button_template {

// Writes the job ini for button `number` whose settings are at
// HKCU\appKeyPath\templateKeyPath\number; the file's path, "" on failure.
std::string WriteButtonJobIni(const std::string& appKeyPath, const std::string& templateKeyPath, int number);

}  // namespace button_template
