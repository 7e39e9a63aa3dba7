#pragma once
// What the opener of a window passes: the instrument, the record, the mode
// (close or cancel, modify or edit, ...) and the control a popover hangs from.
#include <cstdint>
#include <string>

class QWidget;

namespace kit {

struct OpenRequest {
    std::string itemCode;  // "" : none
    std::string recordId;  // "" : none
    std::int32_t mode = 0;
    QWidget* anchor = nullptr;
};

}  // namespace kit
