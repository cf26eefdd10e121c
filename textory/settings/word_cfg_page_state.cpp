#include "textory/settings/word_cfg_page_state.h"

#include <algorithm>

namespace textory {

void CWordCfgPageState::Fill(const TextorySettings& s, bool taskMode) {
    columnInfo = s.wordHaveCol;
    filterBreaks = s.wordFilterLinefeed;
    autoDetect = s.autoTestWord;
    wordVersion = std::clamp(s.wordVersion, 0, 3);
    docMode = s.createToWord ? 0 : 1;
    filterBreaksInput = s.wordFilterLinefeedAuto;
    taskMode_ = taskMode;
    modified_ = false;
}

void CWordCfgPageState::Apply(TextorySettings& s) const {
    s.wordHaveCol = columnInfo;
    s.wordFilterLinefeed = filterBreaks;
    s.autoTestWord = autoDetect;
    s.wordVersion = wordVersion;
    s.createToWord = docMode == 0;
    s.wordFilterLinefeedAuto = filterBreaksInput;
}

bool CWordCfgPageState::IsEnabled(int control) const {
    switch (control) {
    case kFilterBreaksInputCheck: return taskMode_;
    case kColumnInfoCheck: return !taskMode_ && docMode == 0;
    case kFilterBreaksCheck: return !taskMode_ && (docMode == 1 || !columnInfo);
    case kNewDocumentRadio:
    case kInsertDocumentRadio: return !taskMode_;
    case kWord97Radio:
    case kWord2000Radio:
    case kWordXpRadio:
    case kNoWordRadio: return !autoDetect;
    default: return true;
    }
}

void CWordCfgPageState::OnColumnInfo(bool checked) {
    columnInfo = checked;
    modified_ = true;
}

void CWordCfgPageState::OnAutoDetect(bool checked, const std::function<int()>& detect) {
    autoDetect = checked;
    modified_ = true;
    if (checked && detect) wordVersion = std::clamp(detect(), 0, 3);
}

void CWordCfgPageState::OnDocMode(int mode) {
    docMode = mode == 1 ? 1 : 0;
    modified_ = true;
}

void CWordCfgPageState::OnWordVersion(int version) {
    wordVersion = std::clamp(version, 0, 3);
    modified_ = true;
}

}  // namespace textory
