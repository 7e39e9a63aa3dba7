tc_bench(platform_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/platform_bench.cpp LIBS platform)
