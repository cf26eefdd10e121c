#include "keyrider/job_profile.h"

#include "platform/win/ini.h"

namespace keyrider {

std::string JobProfile::String(const std::string& section, const char* key, const char* def) const {
    char text[4096] = {};
    GetPrivateProfileStringA(section.c_str(), key, def, text, sizeof text, path_.c_str());
    return text;
}

int JobProfile::Int(const std::string& section, const char* key, int def) const {
    return int(GetPrivateProfileIntA(section.c_str(), key, def, path_.c_str()));
}

}  // namespace keyrider
