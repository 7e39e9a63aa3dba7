if(TARGET shell AND TARGET reports)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_statement_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/statement_window_test.cpp
               LIBS shell reports Qt6::Test)
endif()
