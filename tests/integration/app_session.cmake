add_sim_test(integration_app_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/app_session_test.cpp LIBS shell_core)
