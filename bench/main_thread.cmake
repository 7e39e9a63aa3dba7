if(TARGET sim)
  tc_bench(main_thread_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/main_thread_bench.cpp LIBS state sim)
endif()
