add_unit_test(state_packed_time ONE_THREAD SOURCES ${CMAKE_CURRENT_LIST_DIR}/packed_time_test.cpp LIBS state)
# A zone rule written out, so that no zone database is needed.
if(TEST state_packed_time)
  set_property(TEST state_packed_time APPEND PROPERTY ENVIRONMENT "TZ=EST5EDT,M3.2.0,M11.1.0")
endif()
