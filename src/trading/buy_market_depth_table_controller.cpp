#include "trading/buy_market_depth_table_controller.h"
