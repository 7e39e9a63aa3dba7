add_unit_test(platform_resource_bundle SOURCES ${CMAKE_CURRENT_LIST_DIR}/resource_bundle_test.cpp LIBS platform)
