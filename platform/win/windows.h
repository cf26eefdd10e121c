// The Windows-like core in one include, for code written against the whole API.
#pragma once

#include "platform/win/types.h"
#include "platform/win/errors.h"
#include "platform/win/memory.h"
#include "platform/win/handles.h"
#include "platform/win/codepage.h"
#include "platform/win/path.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/time.h"
#include "platform/win/library.h"
#include "platform/win/sync.h"
#include "platform/win/process.h"
#include "platform/win/system.h"
#include "platform/win/registry.h"
