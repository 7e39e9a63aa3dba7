add_unit_test(sim_executable SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_executable_test.cpp
  LIBS sim_raw_client sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
add_dependencies(sim_executable trading-sim)
