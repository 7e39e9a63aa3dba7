if(TARGET shell AND TARGET funds)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_deposits_withdrawals_window
               SOURCES ${CMAKE_CURRENT_LIST_DIR}/deposits_withdrawals_window_test.cpp LIBS shell funds Qt6::Test)
endif()
