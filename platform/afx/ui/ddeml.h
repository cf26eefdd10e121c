// Dynamic data exchange between programs: a client opens a conversation with
// a service on a topic and sends it commands to execute; a server registers
// its service names and answers through its callback. Conversations travel
// over per-user local sockets beside the window endpoints; the server's
// callback runs on the thread that initialised its instance, from that
// thread's message loop. A client waiting for an answer keeps dispatching its
// own messages, and every wait is bounded.
#pragma once

#include "platform/afx/ui/winuser.h"

struct HCONV__;
using HCONV = HCONV__*;
struct HSZ__;
using HSZ = HSZ__*;
struct HDDEDATA__;
using HDDEDATA = HDDEDATA__*;

typedef HDDEDATA (*PFNCALLBACK)(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                DWORD_PTR data1, DWORD_PTR data2);

struct CONVCONTEXT {
    UINT cb;
    UINT wFlags;
    UINT wCountryID;
    int iCodePage;
    DWORD dwLangID;
    DWORD dwSecurity;
};
typedef CONVCONTEXT* PCONVCONTEXT;

// Transaction types. The server's callback sees XTYP_CONNECT (hsz1 topic,
// hsz2 service; nonzero accepts), XTYP_CONNECT_CONFIRM, XTYP_EXECUTE (hsz1
// topic, the command as data; answers DDE_FACK, DDE_FBUSY or
// DDE_FNOTPROCESSED) and XTYP_DISCONNECT.
constexpr UINT XCLASS_BOOL = 0x1000;
constexpr UINT XCLASS_FLAGS = 0x4000;
constexpr UINT XCLASS_NOTIFICATION = 0x8000;
constexpr UINT XTYPF_NOBLOCK = 0x0002;
constexpr UINT XTYP_CONNECT = 0x0060 | XCLASS_BOOL | XTYPF_NOBLOCK;
constexpr UINT XTYP_CONNECT_CONFIRM = 0x0070 | XCLASS_NOTIFICATION | XTYPF_NOBLOCK;
constexpr UINT XTYP_DISCONNECT = 0x00C0 | XCLASS_NOTIFICATION | XTYPF_NOBLOCK;
constexpr UINT XTYP_EXECUTE = 0x0050 | XCLASS_FLAGS;

constexpr UINT DDE_FACK = 0x8000;
constexpr UINT DDE_FBUSY = 0x4000;
constexpr UINT DDE_FNOTPROCESSED = 0x0000;

constexpr DWORD APPCLASS_STANDARD = 0x00000000;
constexpr DWORD APPCMD_CLIENTONLY = 0x00000010;

constexpr UINT DNS_REGISTER = 0x0001;
constexpr UINT DNS_UNREGISTER = 0x0002;

constexpr UINT CP_WINANSI = 1004;
constexpr UINT CF_TEXT_DDE = 1;

constexpr UINT DMLERR_NO_ERROR = 0;
constexpr UINT DMLERR_BUSY = 0x4001;
constexpr UINT DMLERR_DLL_NOT_INITIALIZED = 0x4003;
constexpr UINT DMLERR_EXECACKTIMEOUT = 0x4005;
constexpr UINT DMLERR_INVALIDPARAMETER = 0x4006;
constexpr UINT DMLERR_NO_CONV_ESTABLISHED = 0x400a;
constexpr UINT DMLERR_NOTPROCESSED = 0x400c;
constexpr UINT DMLERR_SERVER_DIED = 0x400e;
constexpr UINT DMLERR_SYS_ERROR = 0x400f;

// The longest command a transaction carries.
constexpr DWORD kDdeMaxData = 1u << 20;

AFX_UI_API UINT DdeInitialize(LPDWORD instance, PFNCALLBACK callback, DWORD commands, DWORD reserved);
AFX_UI_API BOOL DdeUninitialize(DWORD instance);
AFX_UI_API UINT DdeGetLastError(DWORD instance);

AFX_UI_API HSZ DdeCreateStringHandle(DWORD instance, LPCSTR text, int codePage);
AFX_UI_API BOOL DdeFreeStringHandle(DWORD instance, HSZ hsz);
// Copies the text (cut to size - 1 characters, ended by a zero) and returns
// its full length; with a null buffer only the length.
AFX_UI_API DWORD DdeQueryString(DWORD instance, HSZ hsz, LPSTR buffer, DWORD size, int codePage);
// 0 when the two name the same text, ignoring case.
AFX_UI_API int DdeCmpStringHandles(HSZ a, HSZ b);

AFX_UI_API HDDEDATA DdeCreateDataHandle(DWORD instance, const BYTE* data, DWORD size, DWORD offset, HSZ item,
                                        UINT format, UINT commands);
AFX_UI_API DWORD DdeGetData(HDDEDATA data, BYTE* buffer, DWORD size, DWORD offset);
AFX_UI_API BOOL DdeFreeDataHandle(HDDEDATA data);

// Registers (DNS_REGISTER) or withdraws (DNS_UNREGISTER) a service name of a
// server instance; a null name with DNS_UNREGISTER withdraws them all.
AFX_UI_API HDDEDATA DdeNameService(DWORD instance, HSZ service, HSZ reserved, UINT command);

// Opens a conversation with the first server of `service` that accepts
// `topic`; null (DMLERR_NO_CONV_ESTABLISHED) when none does within a bounded
// time.
AFX_UI_API HCONV DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT context);
AFX_UI_API BOOL DdeDisconnect(HCONV conv);
// XTYP_EXECUTE only: sends `data` and waits up to `timeoutMs` for the
// server's answer, dispatching messages meanwhile. Returns nonzero when the
// server acknowledged it; else null with the instance's last error
// DMLERR_EXECACKTIMEOUT (the conversation is then closed, as a late answer
// could be taken for the next one's), DMLERR_NOTPROCESSED, DMLERR_BUSY or
// DMLERR_SERVER_DIED. `result` receives the server's flags.
AFX_UI_API HDDEDATA DdeClientTransaction(const BYTE* data, DWORD size, HCONV conv, HSZ item, UINT format, UINT type,
                                         DWORD timeoutMs, LPDWORD result);

// How to reach a server that may not run yet.
struct DdeStartRecipe {
    LPCSTR commandLine = nullptr;  // started when no conversation opens; null: never start
    LPCSTR windowClass = nullptr;  // after the start, wait for a top-level window of this class...
    LPCSTR windowTitle = nullptr;  // ...and/or title (both null: no wait)
    DWORD windowWaitMs = 30000;    // the bound of that wait
    UINT postCommand = 0;          // WM_COMMAND id posted to that window, 0 none
    UINT retries = 60;             // connection tries after the start
    DWORD intervalMs = 500;        // between the tries
};

// Connects to `service` on `topic`; when that fails, starts the program of
// the recipe, waits for its window (posting the command when asked) and tries
// again up to `retries` times `intervalMs` apart, dispatching messages while
// it waits. `started` tells whether the program was started. Null when no
// conversation opened; the instance's last error then says why.
AFX_UI_API HCONV DdeConnectOrStart(DWORD instance, LPCSTR service, LPCSTR topic, const DdeStartRecipe& recipe,
                                   BOOL* started);
// Sends one text command (with its terminating zero) as XTYP_EXECUTE.
AFX_UI_API BOOL DdeExecuteText(HCONV conv, LPCSTR command, DWORD timeoutMs);
