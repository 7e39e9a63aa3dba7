if(TARGET shell AND TARGET sim)
  tc_bench(large_login_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/large_login_bench.cpp LIBS shell sim)
endif()
