tc_bench(news_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/news_bench.cpp LIBS news_core)
