tc_bench(session_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/session_bench.cpp LIBS state)
