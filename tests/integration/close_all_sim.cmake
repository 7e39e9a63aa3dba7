if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_close_all SOURCES ${CMAKE_CURRENT_LIST_DIR}/close_all_sim_test.cpp LIBS shell trading views Qt6::Test)
endif()
