add_unit_test(protocol_envelope ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/envelope.cpp LIBS protocol OpenSSL::Crypto ZLIB::ZLIB)
