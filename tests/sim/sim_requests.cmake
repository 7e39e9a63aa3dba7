add_unit_test(sim_requests SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_requests_test.cpp
  LIBS sim_raw_client sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
