#pragma once
// What the opener of a window passes: the instrument, the record, the mode
// (close or cancel, modify or edit, ...) and the control a popover hangs from.
#include <cstdint>
#include <string>
#include <utility>

class QWidget;

namespace kit {

// Modes of the row dialogs: an open position (close, or its bracket) or a
// pending order (cancel, or edit).
inline constexpr std::int32_t kPositionMode = 0;
inline constexpr std::int32_t kPendingMode = 1;

struct OpenRequest {
    std::string itemCode;  // "" : none
    std::string recordId;  // "" : none
    std::int32_t mode = 0;
    QWidget* anchor = nullptr;
};

inline OpenRequest itemRequest(std::string itemCode) {
    OpenRequest request;
    request.itemCode = std::move(itemCode);
    return request;
}

inline OpenRequest recordRequest(std::string recordId, std::int32_t mode = 0) {
    OpenRequest request;
    request.recordId = std::move(recordId);
    request.mode = mode;
    return request;
}

}  // namespace kit
