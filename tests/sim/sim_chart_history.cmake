add_unit_test(sim_chart_history SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_chart_history_test.cpp LIBS sim)
