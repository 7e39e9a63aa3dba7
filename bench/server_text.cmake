if(TARGET views AND TARGET news)
  tc_bench(server_text_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/server_text_bench.cpp LIBS views news orders)
endif()
