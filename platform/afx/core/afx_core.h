// The framework core in one include: objects, exceptions, strings,
// collections, geometry, files, time, resources, drawing and the clipboard.
#pragma once

#include "platform/afx/core/afx_types.h"
#include "platform/afx/core/afxgdi.h"
#include "platform/afx/core/clipboard.h"
#include "platform/afx/core/collections.h"
#include "platform/afx/core/cstring.h"
#include "platform/afx/core/datetime.h"
#include "platform/afx/core/drawdib.h"
#include "platform/afx/core/exception.h"
#include "platform/afx/core/file.h"
#include "platform/afx/core/gdi.h"
#include "platform/afx/core/geometry.h"
#include "platform/afx/core/object.h"
#include "platform/afx/core/resource.h"
