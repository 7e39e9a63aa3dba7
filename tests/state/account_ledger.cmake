add_unit_test(state_account_ledger SOURCES ${CMAKE_CURRENT_LIST_DIR}/account_ledger_test.cpp LIBS state)
