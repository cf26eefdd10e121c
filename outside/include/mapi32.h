// The simple mail library "Mapi32.dll": hands files to mail. It sends through
// an SMTP server named in the user's registry (key "Software\Mapi32", values
// "SMTP Server" as "smtp://host:port", "From", and optionally "User",
// "Password" and "Timeout" in milliseconds); without a server, on a desktop,
// it hands the files to the desktop's mail program (xdg-email). Programs load
// it by name and take its entries with GetProcAddress.
#pragma once

#include "platform/win/types.h"

using LHANDLE = std::uintptr_t;
using FLAGS = ULONG;

struct MapiRecipDesc {
    ULONG ulReserved;
    ULONG ulRecipClass;  // MAPI_ORIG, MAPI_TO, MAPI_CC, MAPI_BCC
    LPSTR lpszName;
    LPSTR lpszAddress;   // "SMTP:" prefix allowed
    ULONG ulEIDSize;
    LPVOID lpEntryID;
};

struct MapiFileDesc {
    ULONG ulReserved;
    ULONG flFlags;
    ULONG nPosition;
    LPSTR lpszPathName;  // the file to attach
    LPSTR lpszFileName;  // the name the receiver sees; null: the path's last part
    LPVOID lpFileType;
};

struct MapiMessage {
    ULONG ulReserved;
    LPSTR lpszSubject;
    LPSTR lpszNoteText;
    LPSTR lpszMessageType;
    LPSTR lpszDateReceived;
    LPSTR lpszConversationID;
    FLAGS flFlags;
    MapiRecipDesc* lpOriginator;
    ULONG nRecipCount;
    MapiRecipDesc* lpRecips;
    ULONG nFileCount;
    MapiFileDesc* lpFiles;
};

#define MAPI_ORIG 0
#define MAPI_TO 1
#define MAPI_CC 2
#define MAPI_BCC 3

#define MAPI_LOGON_UI 0x00000001u
#define MAPI_NEW_SESSION 0x00000002u
#define MAPI_DIALOG 0x00000008u

#define SUCCESS_SUCCESS 0
#define MAPI_USER_ABORT 1
#define MAPI_E_FAILURE 2
#define MAPI_E_LOGIN_FAILURE 3
#define MAPI_E_INSUFFICIENT_MEMORY 5
#define MAPI_E_ATTACHMENT_NOT_FOUND 11
#define MAPI_E_ATTACHMENT_OPEN_FAILURE 12
#define MAPI_E_INVALID_SESSION 19
#define MAPI_E_INVALID_RECIPS 25

typedef ULONG (*LPMAPILOGON)(std::uintptr_t uiParam, LPSTR profile, LPSTR password, FLAGS flags, ULONG reserved,
                             LHANDLE* session);
typedef ULONG (*LPMAPILOGOFF)(LHANDLE session, std::uintptr_t uiParam, FLAGS flags, ULONG reserved);
typedef ULONG (*LPMAPISENDMAIL)(LHANDLE session, std::uintptr_t uiParam, MapiMessage* message, FLAGS flags,
                                ULONG reserved);
typedef ULONG (*LPMAPISENDDOCUMENTS)(std::uintptr_t uiParam, LPSTR delimiters, LPSTR paths, LPSTR names,
                                     ULONG reserved);
typedef LONG (*LPMAPIINITIALIZE)(LPVOID init);
typedef void (*LPMAPIUNINITIALIZE)();
