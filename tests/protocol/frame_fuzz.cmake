# Replays the checked-in corpus as an ordinary test.
add_unit_test(protocol_frame_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_fuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/frame_fuzz_replay.cpp
  LIBS protocol)
target_compile_definitions(protocol_frame_fuzz PRIVATE
  TC_FUZZ_CORPUS="${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/frame_decoder")

# A libFuzzer binary with clang and -DTC_FUZZ=ON (configure with
# -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link so the library is instrumented), run as
#   frame_decoder_fuzzer tests/fuzz/corpus/frame_decoder
if(TC_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(frame_decoder_fuzzer ${CMAKE_CURRENT_LIST_DIR}/frame_fuzz.cpp)
  target_compile_options(frame_decoder_fuzzer PRIVATE ${TC_WARNINGS} -fsanitize=fuzzer)
  target_link_options(frame_decoder_fuzzer PRIVATE -fsanitize=fuzzer)
  target_link_libraries(frame_decoder_fuzzer PRIVATE protocol)
endif()
