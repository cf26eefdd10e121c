// Character-type names of the ANSI build: text is bytes in the ANSI code page.
#pragma once

#include "platform/win/types.h"

using TCHAR = char;
using LPTSTR = char*;
using LPCTSTR = const char*;
using PUINT = UINT*;

#ifndef _T
#define _T(x) x
#endif
#ifndef _TEXT
#define _TEXT(x) x
#endif

#ifndef AFX_CORE_API
#define AFX_CORE_API __attribute__((visibility("default")))
#endif
