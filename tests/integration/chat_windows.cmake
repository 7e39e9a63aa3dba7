if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_chat_windows SOURCES ${CMAKE_CURRENT_LIST_DIR}/chat_windows_test.cpp LIBS shell Qt6::Test)
endif()
