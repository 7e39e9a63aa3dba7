add_unit_test(sim_news SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_news_test.cpp LIBS sim)
