# Property lists (resources and preferences).
add_fuzz_harness(property_list_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/property_list_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/property_list LIBS platform)
