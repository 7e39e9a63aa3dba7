if(TARGET shell)
  tc_bench(mainwindow_tick SOURCES ${CMAKE_CURRENT_LIST_DIR}/mainwindow_tick.cpp LIBS shell)
endif()
