#include "trading/sell_market_depth_table_controller.h"
