add_unit_test(sim_session SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_session_test.cpp
  LIBS sim_raw_client sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
