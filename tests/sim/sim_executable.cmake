add_unit_test(sim_executable SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_executable_test.cpp ${CMAKE_CURRENT_LIST_DIR}/raw_client.cpp
  LIBS sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
add_dependencies(sim_executable trading-sim)
