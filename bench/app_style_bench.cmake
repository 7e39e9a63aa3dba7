if(TARGET kit)
  tc_bench(app_style_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_style_bench.cpp LIBS kit)
endif()
