if(TARGET trading)
  tc_bench(ticket_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ticket_bench.cpp LIBS trading orders)
endif()
