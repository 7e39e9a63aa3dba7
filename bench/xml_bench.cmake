# Expat is the anchor of this bench only; nothing else links it.
find_package(EXPAT)
if(EXPAT_FOUND)
  tc_bench(xml_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml_bench.cpp LIBS protocol EXPAT::EXPAT)
else()
  message(WARNING "xml_bench skipped: expat not found (libexpat1-dev)")
endif()
