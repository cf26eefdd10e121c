#include "shell/frame/ad_settings.h"

#include <algorithm>
#include <cstdio>

#include "platform/win/ini.h"

namespace {
constexpr int kTextMax = 255;
}

CAdSettings::CAdSettings(const std::string& programFolder)
    : programFolder_(programFolder), path_(FileOf(programFolder)) {}

std::string CAdSettings::text(const char* section, const char* key) const {
    char value[kTextMax + 1] = {};
    GetPrivateProfileStringA(section, key, "", value, sizeof value, path_.c_str());
    return value;
}

int CAdSettings::count(const char* section) const {
    const int n = static_cast<int>(GetPrivateProfileIntA(section, "AdsCount", 0, path_.c_str()));
    return std::clamp(n, 0, kMaxAds);
}

std::string CAdSettings::HelpUrl() const { return text("Help_Ad", "Url"); }

std::vector<std::string> CAdSettings::HeadMovies() const {
    std::vector<std::string> movies;
    const int n = count("Head_Ads");
    for (int i = 0; i < n; ++i) {
        char section[32];
        std::snprintf(section, sizeof section, "Head_Ad%d", i);
        const std::string path = text(section, "Path");
        if (!path.empty()) movies.push_back(programFolder_ + "\\" + path);
    }
    return movies;
}

int CAdSettings::StatusAdCount() const { return count("status_ads"); }

CAdSettings::StatusAd CAdSettings::StatusAdAt(int index) const {
    char section[32];
    std::snprintf(section, sizeof section, "status_ad%d", index);
    return {text(section, "Url"), text(section, "ClickUrl")};
}
