// Conventions shared by the declarations of the outside libraries: how their
// entry points are exported and how an entry that is only known by its ordinal
// is named in the library's symbol table.
#pragma once

#include "platform/win/types.h"

// Marks a definition inside a stand-in library as one of its exported entries.
// Everything else in the libraries is hidden (-fvisibility=hidden).
#define OUTSIDE_EXPORT extern "C" __attribute__((visibility("default")))

// The symbol under which a library exports its entry number n; GetProcAddress
// with MAKEINTRESOURCE(n) looks this name up.
#define OUTSIDE_ORDINAL_SYMBOL(n) "suite_ordinal_" #n
