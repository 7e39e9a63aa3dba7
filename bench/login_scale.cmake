if(TARGET sim)
  tc_bench(login_scale_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/login_scale_bench.cpp LIBS state sim ZLIB::ZLIB)
endif()
