add_unit_test(sim_orders SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_orders_test.cpp ${CMAKE_CURRENT_LIST_DIR}/raw_client.cpp
  LIBS sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
