add_sim_test(integration_chat_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/chat_session_test.cpp LIBS state PkgConfig::ZMQ)
