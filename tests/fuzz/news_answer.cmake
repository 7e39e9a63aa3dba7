# News answers: the HTTP reader (and the items of a whole answer), and RSS items with their times.
add_fuzz_harness(news_http_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/news_http_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/news_http LIBS news_core
  OPTIONS -dict=${CMAKE_CURRENT_LIST_DIR}/news_answer.dict)
add_fuzz_harness(news_items_fuzz HARNESS ${CMAKE_CURRENT_LIST_DIR}/news_items_fuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/news_items LIBS news_core
  OPTIONS -dict=${CMAKE_CURRENT_LIST_DIR}/news_answer.dict)
