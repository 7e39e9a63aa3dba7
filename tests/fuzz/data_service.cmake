# Data-service answers with their fillers, and chart answers with the chart parser.
add_fuzz_harness(data_service_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/data_service_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/data_service LIBS state charts_core)
