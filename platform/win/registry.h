// The registry: a tree of keys with typed values, kept in a database file per
// store (the user's holds HKEY_CURRENT_USER and, as a tree of its own,
// HKEY_CLASSES_ROOT; the machine's holds HKEY_LOCAL_MACHINE). HKEY_USERS is
// not offered (ERROR_INVALID_HANDLE). Names are bytes in the ANSI code page,
// compared without regard to ASCII case (double-byte characters byte for
// byte) and stored with the case they were created with; key names are at
// most 255 bytes a level. Every call is atomic and durable when it returns;
// several processes may use one store at once, and readers see only committed
// changes. Strings are stored with their terminating NUL (added when the
// caller's data lacks it). REG_OPTION_VOLATILE keys are kept like the others.
//
// Store locations: $SUITE_REGISTRY_USER and $SUITE_REGISTRY_MACHINE name the
// database files; otherwise they are "user.db" and "machine.db" under
// $SUITE_REGISTRY_DIR, or under "suite/registry" of the user's application
// data folder (CSIDL_APPDATA of folders.h). The environment is read at each
// call on a predefined key, so a changed variable takes effect at once.
//
// Handles opened with rights that lack KEY_SET_VALUE / KEY_CREATE_SUB_KEY /
// KEY_QUERY_VALUE / KEY_ENUMERATE_SUB_KEYS get ERROR_ACCESS_DENIED for those
// operations. A handle to a key deleted since gets ERROR_KEY_DELETED. Waits for
// another process or thread are bounded (ERROR_TIMEOUT after 30 s, or
// $SUITE_REGISTRY_WAIT_MS milliseconds).
//
// A store on a read-only medium (or in a folder this process may not write)
// opens for reading: reads work, and every write, key creation or transaction
// gets ERROR_ACCESS_DENIED; a store that does not exist there reads as an
// empty tree. At the normal end of the process every store is closed, so its
// database file is complete on its own (no "-wal" file beside it is needed).
#pragma once

#include "platform/win/errors.h"
#include "platform/win/types.h"
#include "platform/win/registry_tree.h"

using REGSAM = DWORD;
using PHKEY = HKEY*;

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))
#define HKEY_USERS (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000003u)))

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_DWORD_LITTLE_ENDIAN 4u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u

#define REG_OPTION_NON_VOLATILE 0u
#define REG_OPTION_VOLATILE 1u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_WOW64_64KEY 0x0100u
#define KEY_WOW64_32KEY 0x0200u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_EXECUTE KEY_READ
#define KEY_ALL_ACCESS 0xF003Fu

// All functions return ERROR_SUCCESS or an error code of errors.h.
LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                     void* security, PHKEY result, LPDWORD disposition);
LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LONG RegCloseKey(HKEY key);
LONG RegFlushKey(HKEY key);

// `name` nullptr or "" is the key's unnamed default value. With `data` nullptr
// only the type and size are reported; a buffer that is too small gives
// ERROR_MORE_DATA with the needed size in *size.
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size);
LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
// The default value of a sub-key, as a string (the sub-key is created by the setter).
LONG RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR data, LONG* size);
LONG RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD size);

// Enumeration by index, in a stable order (the order of creation).
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved, LPSTR keyClass,
                   LPDWORD classChars, FILETIME* lastWrite);
LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameChars);
LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved, LPDWORD type,
                   LPBYTE data, LPDWORD size);
LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classChars, LPDWORD reserved, LPDWORD subKeys,
                      LPDWORD maxSubKeyLen, LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen,
                      LPDWORD maxValueLen, LPDWORD securityDescriptor, FILETIME* lastWrite);

LONG RegDeleteValueA(HKEY key, LPCSTR name);
// Deletes a key that has no sub-keys (ERROR_ACCESS_DENIED otherwise).
LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
// Deletes a key with everything under it.
LONG RegDeleteTreeA(HKEY key, LPCSTR subKey);
DWORD SHDeleteKeyA(HKEY key, LPCSTR subKey);
// Copies the key `subKey` of `source` (or `source` itself when nullptr), its
// values and its whole subtree, into `destination`.
LONG RegCopyTreeA(HKEY source, LPCSTR subKey, HKEY destination);

// Transactions (an extension of this layer): the calling thread's changes to
// the store that holds `key`, between begin and commit, become visible and
// durable together; a rollback, or the end of the process before the commit,
// leaves the store as it was. Other threads' calls on that store wait for the
// end of the transaction. Transactions do not nest (a second begin on the
// same store gives ERROR_INVALID_FUNCTION); commit or rollback without one
// gives ERROR_TRANSACTION_NOT_ACTIVE. HKEY_CURRENT_USER and HKEY_CLASSES_ROOT
// share one store, hence one transaction.
LONG SuiteRegBeginTransaction(HKEY key);
LONG SuiteRegCommitTransaction(HKEY key);
LONG SuiteRegRollbackTransaction(HKEY key);

// Reads the values and the whole subtree of `key` (an extension of this
// layer) in one call and one consistent view: for readers of large trees,
// where a call per key and value would cost more than the reading itself.
// Needs KEY_QUERY_VALUE and KEY_ENUMERATE_SUB_KEYS; `tree.name` is left empty.
LONG SuiteRegReadTree(HKEY key, suite::reg::TreeCopy& tree);
