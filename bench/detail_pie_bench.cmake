tc_bench(detail_pie_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/detail_pie_bench.cpp LIBS charts_core)
