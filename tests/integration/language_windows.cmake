if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_language_windows SOURCES ${CMAKE_CURRENT_LIST_DIR}/language_windows_test.cpp
               LIBS shell Qt6::Test SHARDS 3)
endif()
