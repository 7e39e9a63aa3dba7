#pragma once
// The row dialogs (close or cancel; modify or edit) as the opener sees them.
// Main thread.

#include "kit/row_dialog.h"

namespace trading {

using PositionDialog = kit::RowDialog;

}  // namespace trading
