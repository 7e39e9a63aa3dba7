tc_bench(chat_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/chat_bench.cpp LIBS state)
