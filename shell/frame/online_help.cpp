#include "shell/frame/online_help.h"

#include "platform/win/files.h"
#include "shell/frame/ad_settings.h"
#include "platform/win/blanks.h"

namespace online_help {

namespace {
constexpr unsigned short kEnglish = 1033;
constexpr unsigned short kTraditional = 1028;
// The engines' query addresses; the encoded text follows.
const char* const kFirstEngine = "https://www.baidu.com/s?wd=";
const char* const kSecondEngine = "https://www.google.com/search?q=";

}  // namespace

std::string HelpFinderReference(const std::string& programFolder, unsigned short languageId) {
    const char* file = languageId == kEnglish ? "\\ScribantE.chm" : languageId == kTraditional ? "\\ScribantT.chm"
                                                                                                 : "\\ScribantS.chm";
    // 产品特点.htm and 技术指标.htm in the code page.
    return programFolder + file + ">Mainwin" + "::/\xB2\xFA\xC6\xB7\xCC\xD8\xB5\xE3.htm" +
           "::/\xBC\xBC\xCA\xF5\xD6\xB8\xB1\xEA.htm";
}

std::string OnlineHelpTarget(const std::string& programFolder,
                             const std::function<bool(const std::string&)>& reachable) {
    const std::string url = CAdSettings(programFolder).HelpUrl();
    if (!url.empty() && reachable && reachable(url)) return url;
    for (const char* local : {"\\AD\\Local\\help\\Scribant.htm", "\\help\\help.htm"}) {
        const std::string path = programFolder + local;
        if (suite::FileExists(path)) return path;
    }
    return {};
}

std::string EncodeQuery(const std::string& text) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else if (suite::IsBlank(c)) {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string WebSearchAddress(const std::string& text, int engine) {
    return std::string(engine == 1 ? kSecondEngine : kFirstEngine) + EncodeQuery(text);
}

}  // namespace online_help
