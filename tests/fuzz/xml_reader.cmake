# Replays the checked-in corpus as an ordinary test.
add_unit_test(xml_reader_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml_reader_fuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/corpus_replay.cpp
  LIBS protocol)
target_compile_definitions(xml_reader_fuzz PRIVATE
  TC_FUZZ_CORPUS="${CMAKE_CURRENT_LIST_DIR}/corpus/xml_reader")

# A libFuzzer binary with clang and -DTC_FUZZ=ON (configure with
# -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link so the reader is instrumented), run as
#   xml_reader_fuzzer tests/fuzz/corpus/xml_reader
if(TC_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(xml_reader_fuzzer ${CMAKE_CURRENT_LIST_DIR}/xml_reader_fuzz.cpp)
  target_compile_options(xml_reader_fuzzer PRIVATE ${TC_WARNINGS} -fsanitize=fuzzer)
  target_link_options(xml_reader_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_libraries(xml_reader_fuzzer PRIVATE protocol)
endif()
