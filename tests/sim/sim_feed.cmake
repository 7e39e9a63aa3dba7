add_unit_test(sim_feed SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_feed_test.cpp ${CMAKE_CURRENT_LIST_DIR}/raw_client.cpp
  LIBS sim OpenSSL::Crypto ZLIB::ZLIB PkgConfig::ZMQ)
