if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_trade_ticket SOURCES ${CMAKE_CURRENT_LIST_DIR}/trade_ticket_test.cpp LIBS shell Qt6::Test)
endif()
