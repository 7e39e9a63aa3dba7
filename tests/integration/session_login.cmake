add_sim_test(integration_session_login SOURCES ${CMAKE_CURRENT_LIST_DIR}/session_login_test.cpp LIBS state)
