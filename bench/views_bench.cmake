if(TARGET views)
  tc_bench(views_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/views_bench.cpp LIBS views orders)
endif()
