// The Windows-like core in one include, for code written against the whole API.
#pragma once

#include "platform/win/types.h"
#include "platform/win/memory.h"
