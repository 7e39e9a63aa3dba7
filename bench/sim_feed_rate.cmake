tc_bench(sim_feed_rate SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_feed_rate.cpp LIBS sim PkgConfig::ZMQ)
