// The advert settings file: the program folder + "\AD\Ad.ini". It names the
// online help address, the header bar's movies and the status bar's adverts.
#pragma once

#include <string>
#include <vector>

class CAdSettings {
public:
    // Reads from the settings file of `programFolder` (no trailing separator).
    explicit CAdSettings(const std::string& programFolder);
    static std::string FileOf(const std::string& programFolder) { return programFolder + "\\AD\\Ad.ini"; }
    const std::string& Path() const { return path_; }

    // "Help_Ad"/"Url": the online help address (255 characters at most).
    std::string HelpUrl() const;
    // The header movies: each non-empty "Head_Ad%d"/"Path" of the first
    // "Head_Ads"/"AdsCount" entries, as the program folder + "\" + path.
    std::vector<std::string> HeadMovies() const;

    struct StatusAd {
        std::string url;
        std::string clickUrl;
    };
    // "status_ads"/"AdsCount" and each "status_ad%d"'s "Url" and "ClickUrl".
    int StatusAdCount() const;
    StatusAd StatusAdAt(int index) const;

    // Counts beyond this are taken as this many (a damaged file cannot make
    // the program read without end).
    static constexpr int kMaxAds = 256;

private:
    std::string programFolder_;
    std::string path_;
    std::string text(const char* section, const char* key) const;
    int count(const char* section) const;
};
