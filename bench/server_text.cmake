if(TARGET views AND TARGET news AND TARGET chat AND TARGET reports AND TARGET trading AND TARGET funds AND TARGET charts)
  tc_bench(server_text_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/server_text_bench.cpp LIBS views news chat reports trading funds charts orders)
endif()
