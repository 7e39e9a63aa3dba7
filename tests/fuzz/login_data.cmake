# Login data in both forms.
add_fuzz_harness(login_data_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/login_data_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/login_data LIBS state)
