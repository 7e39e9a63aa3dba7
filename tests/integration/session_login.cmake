add_sim_test(integration_session_login SHARDS 2 SOURCES ${CMAKE_CURRENT_LIST_DIR}/session_login_test.cpp LIBS state)
