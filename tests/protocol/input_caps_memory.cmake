add_unsanitized_test(protocol_input_caps_memory
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/input_caps_memory_test.cpp
          ${PROJECT_SOURCE_DIR}/src/protocol/compressed_payload.cpp
          ${PROJECT_SOURCE_DIR}/src/protocol/login_data_limits.cpp
          ${PROJECT_SOURCE_DIR}/src/protocol/wire_format.cpp
          ${PROJECT_SOURCE_DIR}/src/protocol/xml_reader.cpp
          ${PROJECT_SOURCE_DIR}/src/protocol/xml_entities.cpp
          ${PROJECT_SOURCE_DIR}/src/model/base64.cpp
          ${PROJECT_SOURCE_DIR}/src/platform/base64.cpp
          ${PROJECT_SOURCE_DIR}/src/platform/log.cpp
          ${PROJECT_SOURCE_DIR}/src/platform/log_file.cpp
  LIBS ZLIB::ZLIB OpenSSL::Crypto)
