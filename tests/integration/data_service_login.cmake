add_sim_test(integration_data_service_login SOURCES ${CMAKE_CURRENT_LIST_DIR}/data_service_login_test.cpp LIBS state)
