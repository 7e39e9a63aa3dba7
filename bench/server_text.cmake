if(TARGET views AND TARGET news AND TARGET chat AND TARGET reports)
  tc_bench(server_text_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/server_text_bench.cpp LIBS views news chat reports orders)
endif()
