if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_demo_registration SOURCES ${CMAKE_CURRENT_LIST_DIR}/demo_registration_test.cpp
               LIBS shell Qt6::Test)
endif()
