tc_bench(model_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/model_bench.cpp LIBS model OpenSSL::Crypto ZLIB::ZLIB)
