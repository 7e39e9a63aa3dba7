# Order messages and the account summary through the session's dispatcher.
add_fuzz_harness(order_messages_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/order_messages_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/order_messages LIBS state)
