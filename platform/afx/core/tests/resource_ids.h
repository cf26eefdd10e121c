// Ids shared by the tests and their resource script.
#pragma once

#define IDS_HELLO 101
#define IDS_CHINESE 102
#define IDS_FORMAT 103
#define IDS_ESCAPES 104
#define IDR_MAIN 128
#define IDD_SETTINGS 200
#define IDC_NAME 1001
#define IDC_KEEP (IDC_NAME + 1)
#define IDC_LIST 1003
#define ID_FILE_OPEN 0xE101
#define ID_FILE_MRU 0xE110
#define ID_APP_EXIT 0xE141
#define ID_HELP_ABOUT 0xE140
