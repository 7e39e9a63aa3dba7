tc_bench(xml_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml_bench.cpp LIBS protocol)
