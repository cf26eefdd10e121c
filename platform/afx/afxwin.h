// The application framework in one include, for the system's windows,
// documents, views, dialogs and controls.
#pragma once

#include "platform/afx/core/afx_core.h"
#include "platform/afx/core/resource.h"
#include "platform/afx/core/afxgdi.h"
#include "platform/afx/ui/winuser.h"
#include "platform/afx/ui/cmdtarget.h"
#include "platform/afx/ui/wnd.h"
#include "platform/afx/ui/thread.h"
#include "platform/afx/ui/app.h"
#include "platform/afx/ui/menu.h"
#include "platform/afx/ui/docview.h"
#include "platform/afx/ui/msgbox.h"
#include "platform/afx/ui/dcwnd.h"
#include "platform/afx/ui/bars.h"
#include "platform/afx/ui/splitter.h"
#include "platform/afx/ui/dialog.h"
#include "platform/afx/ui/controls.h"
#include "platform/afx/ui/commdlg.h"
#include "platform/afx/ui/listctrl.h"
#include "platform/afx/ui/wndproc.h"
