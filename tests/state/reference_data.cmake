add_unit_test(state_reference_data ONE_THREAD
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_conversions_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/packed_details_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/table_details_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/login_tables_test.cpp
  LIBS state)
