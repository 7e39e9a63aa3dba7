if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_history_tables SOURCES ${CMAKE_CURRENT_LIST_DIR}/history_tables_test.cpp
               LIBS shell trading Qt6::Test)
endif()
