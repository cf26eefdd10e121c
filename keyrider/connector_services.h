// The program's own processes, windows and DDE for the OCR and card
// hand-offs: every wait bounded, messages dispatched while waiting.
#pragma once

#include "keyrider/ocr_connectors.h"

namespace keyrider {

ConnectorServices MakeConnectorServices();

}  // namespace keyrider
