// The work commands of the application's command table, without windows:
// each decides between a one-page action, posted to the main window for the
// document, and a batch over the page list's selected rows, run by the task.
// The update rules say when each command is enabled. Everything goes through
// the shell's services, so the rules run the same against a scripted shell.
#pragma once

#include <string>

#include "platform/win/types.h"

class CTask;

// Command ids of the table.
#define ID_FILE_SCAN 32773
#define ID_FILE_SELECT_SCANNER 32774
#define ID_FILE_SAVE_PROJECT 32778
#define ID_RECOG_LAYOUT 32793
#define ID_RECOG_START 32794
#define ID_RECOG_CANCEL_LAYOUT 32795
#define ID_SYSTEM_CONFIG 32802
#define ID_RECOG_SPLIT_HANDWRITING 32810
#define ID_TASK_NEW 32813
#define ID_PEN_SWITCH 32820
#define ID_OUTPUT_TO_FORMAT 32827
#define ID_FILE_OPEN_PROJECT 32828
#define ID_FILE_SELECT_ALL 32857
#define ID_PAGE_PREV 32858
#define ID_PAGE_NEXT 32859
#define ID_SET_EXTERN_EDITOR 32863
#define ID_OUTPUT_SAME_NAME 32889
#define ID_IMAGE_RENAME 32894
#define ID_TASK_CMD_A 32906
#define ID_TASK_CMD_B 32907
#define ID_CHAR_INPUT 32908
#define ID_PDF_TO_RTF 32913
#define ID_PDF_TO_TXT 32919
#define ID_APP_UPDATE 32912

#define IDS_DISCARD_RESULT 61246   // "该操作将放弃本次识别结果，\n是否继续？"
#define IDS_CREATE_FOLDER 61248    // "目录 %1 不存在, 是否创建该文件夹?"
#define IDS_SCAN_EXTENSION 61454   // the scan name's extension rule
#define IDS_CHECK_SCANNER 59394    // "请检查扫描仪是否能正常工作。"

class CScribantCommands {
public:
    explicit CScribantCommands(CTask& task) : task_(task) {}

    // Update rules. While a run holds the open page (its engine pumps
    // messages) none of the page commands is enabled, and their handlers do
    // nothing.
    bool HasImages() const;
    bool CanRecognize() const;
    // `pageHasLayout`: the open page has layout regions.
    bool CanLayout(bool pageHasLayout) const;
    bool CanCancelLayout(bool pageHasLayout) const;
    bool CanSplitHandwriting() const;
    bool CanNextPage() const;
    bool CanPrevPage() const;
    bool CanTaskCommandB() const;

    // Handlers.
    void RecognizeStart();
    void Layout();
    void CancelLayout();
    void SplitHandwriting();
    void NextPage();
    void PrevPage();

    // Steps 2 to 5 of the scan command on the scan-name box: the name the
    // scan writes to (the box updated), or "" when the command ends here
    // (the user refused the folder, or the extension is not an image's).
    std::string PrepareScanName();

private:
    int firstSelectedRow() const;
    static bool PageHeld();
    // The open row's page could not be read: says so (naming it) and TRUE.
    static bool SayPageNotRead();
    CTask& task_;
};
