if(TARGET shell AND TARGET views)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_detail_windows SOURCES ${CMAKE_CURRENT_LIST_DIR}/detail_windows_test.cpp
               LIBS shell views Qt6::Test)
endif()
