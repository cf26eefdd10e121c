#include "shell/outside/character_input.h"

CCharacterInputProgram::CCharacterInputProgram(const std::string& programFolder)
    : folder_(programFolder),
      wendaro_("Wendaro", programFolder + "\\Wendaro.exe"),
      characterMap_("CharacterMap", "gucharmap") {}

bool CCharacterInputProgram::Start() {
    if (wendaro_.Start({}, folder_)) return true;
    return characterMap_.Start({});
}
