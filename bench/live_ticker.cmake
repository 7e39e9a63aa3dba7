if(TARGET shell)
  tc_bench(live_ticker_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/live_ticker_bench.cpp LIBS shell)
endif()
