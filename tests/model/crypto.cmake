add_unit_test(model_crypto SOURCES ${CMAKE_CURRENT_LIST_DIR}/crypto_test.cpp LIBS model)
