// The "Global Settings" dialog: a tab for each page that is shown (blank
// page, the edge-fill library's page, multi-image, punch hole). The pages'
// rules are the models' of global_settings_model; the windows show them.
#pragma once

#include <memory>
#include <vector>

#include "keyrider/global_settings_model.h"
#include "keyrider/punch_hole_model.h"
#include "outside/include/gorsey.h"
#include "platform/afx/afxwin.h"

namespace keyrider {

struct GlobalSettingsInput {
    HKEY appKey = nullptr;
    const GORSEY_FUNCTIONTABLE* edgeFill = nullptr;
    EDGEFILL_SETTINGS* edgeFillSettings = nullptr;
    bool showBlankPage = true, showEdgeFill = true, showMultiImage = false, showPunchHole = false;
    bool templateAvailable = false;
    TemplateScan scan;
    int lock = 0;
    int levelCount = 0;
    int level = 0;
    DWORD* displayBlankMessage = nullptr;
};

// Reading and writing the multi-image and punch-hole keys.
SideValues ReadSide(HKEY appKey, const char* side);
void WriteSide(HKEY appKey, const char* side, const SideValues& values);
std::vector<int> ResolutionChoices(HKEY appKey);

class CGlobalSettingsDlg : public CDialog {
public:
    explicit CGlobalSettingsDlg(GlobalSettingsInput& input, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    int Level() const { return level_ ? level_->Level() : input_.level; }
    // Shows page `index` (in tab order); the number of pages.
    void ShowPage(int index);
    int PageCount() const { return int(pages_.size()); }
    CWnd* Page(int index) { return index >= 0 && index < int(pages_.size()) ? pages_[std::size_t(index)] : nullptr; }
    MultiImageModel* MultiImage() { return multi_.get(); }
    PunchHoleModel* PunchHole() { return punch_.get(); }
    // Shows the multi-image model's state in the page's controls.
    void ShowMultiImage();

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void addPage(CWnd* page, UINT titleId);
    void showLevel();
    void closePages();
    // Handles the punch-hole page's clicks; false when the command is not its.
    bool onPunchCommand(UINT id, UINT code);

    GlobalSettingsInput& input_;
    RECT area_{};
    std::vector<CWnd*> pages_;
    std::unique_ptr<CDialog> blankPage_, edgeHost_, multiPage_, punchPage_;
    HWND edgePage_ = nullptr;
    std::unique_ptr<BlankLevelModel> level_;
    std::unique_ptr<MultiImageModel> multi_;
    std::unique_ptr<PunchHoleModel> punch_;
};

}  // namespace keyrider
