tc_bench(answers_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/answers_bench.cpp LIBS state)
