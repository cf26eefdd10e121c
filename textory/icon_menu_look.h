// Which of the two looks an icon menu draws: the classic look (3-D icon
// boxes in the system menu colours) or the flat look (a shaded icon column
// and a light selection box). It follows the Windows version, the desktop
// theme and two switches shared by every icon menu.
#pragma once

#include <string_view>

#include "platform/win/system.h"
#include "platform/win/types.h"

namespace textory {

// Version codes: 0 Win32s, 1 other NT, 2 Windows 95 and other 9x, 3 Windows
// 98, 4 Windows Me, 5 NT 4, 6 Windows 2000, 7 Windows XP. `info` is null when
// the extended query could not be made.
int VersionCodeOf(DWORD version, const OSVERSIONINFOA* info);
// The code of the system the program runs on, computed once.
int GetWindowsVersionCode();

// Whether a theme value (a theme file's path) names the classic theme.
bool IsClassicThemeValue(std::string_view value);
// The current theme read once from HKCU "Software\Microsoft\Plus!\Themes\Current"
// (its default value) and cached; a missing key or value is not classic.
BOOL IsClassicTheme();

struct IconMenuLook {
    int versionCode = 0;
    int flatUnderThemes = 1;   // the switch used on Windows XP with a theme
    int flatOtherwise = 0;     // the switch used everywhere else
    int iconShadow = 1;        // faded and shadow copies of icons in the flat look
    int highlightDisabledClassic = 1;
    int highlightDisabledFlat = 0;

    bool Themed(bool classicTheme) const { return versionCode == 7 && !classicTheme; }
    bool Flat(bool classicTheme) const { return (Themed(classicTheme) ? flatUnderThemes : flatOtherwise) == 1; }
    bool NewStyleEdges() const { return versionCode >= 2; }
};

// The look shared by every icon menu of the program.
IconMenuLook& SharedIconMenuLook();
// Sets both look switches (what an image button does when it attaches a menu).
void SetIconMenuLookSwitches(int flat);
// Forgets the cached theme, so the next IsClassicTheme reads the registry again.
void ForgetClassicTheme();

// Each of red, green and blue moved by `fraction` towards white, truncated;
// a fraction outside (0, 1] leaves the colour as it is.
DWORD LightenColour(DWORD colour, double fraction);

}  // namespace textory
