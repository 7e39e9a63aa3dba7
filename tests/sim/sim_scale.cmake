add_unit_test(sim_scale SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_scale_test.cpp LIBS sim protocol)
