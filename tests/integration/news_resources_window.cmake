if(TARGET shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_sim_test(integration_news_resources SOURCES ${CMAKE_CURRENT_LIST_DIR}/news_resources_window_test.cpp
               LIBS shell Qt6::Test)
endif()
