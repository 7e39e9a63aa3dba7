if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_funds_windows SOURCES ${CMAKE_CURRENT_LIST_DIR}/funds_windows_test.cpp LIBS shell Qt6::Test)
endif()
