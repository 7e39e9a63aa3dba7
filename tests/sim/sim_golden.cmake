add_unit_test(sim_golden SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_golden_test.cpp
  LIBS sim_raw_client sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
