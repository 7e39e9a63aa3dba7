add_unit_test(zmq SOURCES ${CMAKE_CURRENT_LIST_DIR}/zmq.cpp LIBS zmq_wrapper TIMEOUT 60)
# Counts the calls that reach libzmq's zmq_close.
target_link_options(zmq PRIVATE -Wl,--wrap=zmq_close)
