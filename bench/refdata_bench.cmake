tc_bench(refdata_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/refdata_bench.cpp LIBS state)
# The compact reader's anchor: expat's per-byte rate on the XML form of the same records.
find_package(EXPAT)
if(EXPAT_FOUND)
  target_link_libraries(refdata_bench PRIVATE EXPAT::EXPAT)
  target_compile_definitions(refdata_bench PRIVATE TC_BENCH_EXPAT=1)
endif()
