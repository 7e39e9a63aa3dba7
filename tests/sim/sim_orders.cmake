add_unit_test(sim_orders SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_orders_test.cpp
  LIBS sim_raw_client sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
