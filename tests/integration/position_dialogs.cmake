if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_position_dialogs SOURCES ${CMAKE_CURRENT_LIST_DIR}/position_dialogs_test.cpp
               LIBS shell trading Qt6::Test)
endif()
