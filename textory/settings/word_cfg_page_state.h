// The "Word" page of Textory's settings sheet without its window: the page's
// values, which controls are enabled, and what each click changes. The page
// window reads and writes its controls through this.
#pragma once

#include <functional>

#include "textory/settings/textory_settings.h"

namespace textory {

// Control ids of the page (template 286).
enum WordCfgControl {
    kColumnInfoCheck = 1126,       // "Word文档包含栏信息"
    kFilterBreaksCheck = 1127,     // "过滤段内回车换行符" (专业版设置)
    kFilterBreaksInputCheck = 1128,// "过滤段内回车换行符" (Tallowin设置)
    kAutoDetectCheck = 1160,       // "自动检测"
    kWord97Radio = 1161,
    kWord2000Radio = 1162,
    kWordXpRadio = 1163,
    kNoWordRadio = 1164,
    kNewDocumentRadio = 1165,      // "创建新的Word文档"
    kInsertDocumentRadio = 1166,   // "插入Word文档"
};

class CWordCfgPageState {
public:
    bool columnInfo = false;
    bool filterBreaks = false;
    bool autoDetect = true;
    int wordVersion = 0;  // 0..3, the radio 1161 + value
    int docMode = 0;      // 0 new document, 1 insert
    bool filterBreaksInput = false;

    // The page filled from the settings; `taskMode` limits what may change.
    void Fill(const TextorySettings& settings, bool taskMode);
    // The page's values into the settings ("Create to Word" on exactly for a new document).
    void Apply(TextorySettings& settings) const;

    bool IsEnabled(int control) const;
    bool Modified() const { return modified_; }

    void OnColumnInfo(bool checked);
    // `detect` gives the installed version when automatic detection is turned on.
    void OnAutoDetect(bool checked, const std::function<int()>& detect);
    void OnDocMode(int mode);
    void OnWordVersion(int version);

private:
    bool taskMode_ = false;
    bool modified_ = false;
};

}  // namespace textory
