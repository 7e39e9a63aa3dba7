if(TARGET shell AND TARGET views)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_watchlist_window SOURCES ${CMAKE_CURRENT_LIST_DIR}/watchlist_window_test.cpp
               LIBS shell views Qt6::Test)
endif()
