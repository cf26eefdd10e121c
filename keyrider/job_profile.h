// Where a scan job reads its settings: the sections of the job ini file that
// the job entry points the application's profile at.
#pragma once

#include <string>

namespace keyrider {

class JobProfile {
public:
    explicit JobProfile(std::string iniPath) : path_(std::move(iniPath)) {}
    const std::string& Path() const { return path_; }
    // The entry's text (at most 4095 bytes), or `def` when it is missing.
    std::string String(const std::string& section, const char* key, const char* def = "") const;
    // The entry read as a decimal number, or `def` when it is missing or empty.
    int Int(const std::string& section, const char* key, int def) const;

private:
    std::string path_;
};

}  // namespace keyrider
