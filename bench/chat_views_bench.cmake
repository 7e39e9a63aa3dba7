if(TARGET chat)
  tc_bench(chat_views_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/chat_views_bench.cpp LIBS chat orders)
endif()
