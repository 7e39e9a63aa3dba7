# Replays the checked-in corpus of login data (both forms) as an ordinary test.
add_unit_test(login_data_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/login_data_fuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/corpus_replay.cpp
  LIBS state)
target_compile_definitions(login_data_fuzz PRIVATE
  TC_FUZZ_CORPUS="${CMAKE_CURRENT_LIST_DIR}/corpus/login_data")

# A libFuzzer binary with clang and -DTC_FUZZ=ON, run as
#   login_data_fuzzer tests/fuzz/corpus/login_data
if(TC_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(login_data_fuzzer ${CMAKE_CURRENT_LIST_DIR}/login_data_fuzz.cpp)
  target_compile_options(login_data_fuzzer PRIVATE ${TC_WARNINGS} -fsanitize=fuzzer)
  target_link_options(login_data_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_libraries(login_data_fuzzer PRIVATE state)
endif()
