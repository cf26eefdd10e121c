// The update dialog without its window: the newest version and its release
// notes read from the downloaded description, and the entry chosen on OK.
#pragma once

#include <string>

class CUpdateDialogController {
public:
    CUpdateDialogController(std::string taskIni, int startEntry);

    // Reads the description: empty fields when it does not exist.
    void Load();
    const std::string& VersionText() const { return m_version; }
    // The notes, their ";" separators turned into line breaks (CR LF).
    const std::string& Notes() const { return m_notes; }
    int StartEntry() const { return m_start; }
    int Newest() const { return m_newest; }
    // OK chooses the newest entry.
    void Accept() { m_chosen = m_newest; }
    int Chosen() const { return m_chosen; }

private:
    std::string m_taskIni;
    int m_start;
    int m_newest = 0;
    int m_chosen = 0;
    std::string m_version;
    std::string m_notes;
};
