add_sim_test(integration_queries_login SOURCES ${CMAKE_CURRENT_LIST_DIR}/queries_login_test.cpp LIBS state PkgConfig::ZMQ)
