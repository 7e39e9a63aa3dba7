#include "state/order_rejection_reasons.h"

namespace state {

std::string orderRejectionKey(std::int32_t code) {
    switch (code) {
        case 1:
        case 12:
        case 51:
        case 82:
            return "0339";
        case 2: return "1057";
        case 5: return "1058";
        case 8: return "1059";
        case 11: return "1065";
        case 13: return "1037";
        case 15: return "3108";
        case 50: return "3069";
        case 80: return "1064";
        case 81: return "1063";
        case 83: return "1062";
        case 86: return "20291";
        default: return "1077";
    }
}

}  // namespace state
