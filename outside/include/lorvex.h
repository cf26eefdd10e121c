// The PDF encryption library of the button manager's bundle ("Lorvex.dll"):
// one export, fnLorvex, that encrypts a PDF file in place.
#pragma once

#include "platform/win/types.h"

// Encrypts `path` (AES with 256-bit keys): `userPassword` opens the file,
// `ownerPassword` (empty: the user password) grants every right. The file is
// replaced whole or left as it was. 0 on success, 1 unreadable input, 2 bad
// arguments, 3 the encrypted file could not be written.
using LORVEX_ENCRYPT = int (*)(LPCSTR path, LPCSTR userPassword, LPCSTR ownerPassword);
extern "C" int fnLorvex(LPCSTR path, LPCSTR userPassword, LPCSTR ownerPassword);
