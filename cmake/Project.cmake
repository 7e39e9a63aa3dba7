# Helpers shared by every folder.

# Precompiled headers (GCC). Test programs: two built once per tree, the test
# framework and the standard headers, and with Qt's for the programs that link
# Qt Widgets; every test program reuses one. Test programs compile without
# optimization (below), where GCC's flow warnings, which misfire through a
# precompiled header at -O2, do not run. Libraries: each its own, in the -O1
# trees only (tc_library).
if(NOT DEFINED TC_PCH)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(TC_PCH ON)
  else()
    set(TC_PCH OFF)
  endif()
endif()
set(TC_PCH_STD <algorithm> <chrono> <cstdint> <functional> <map> <memory> <optional> <string> <string_view>
    <unordered_map> <utility> <vector>)
set(TC_PCH_QT <QAbstractItemModel> <QApplication> <QComboBox> <QHeaderView> <QLabel> <QLineEdit> <QObject>
    <QPainter> <QPushButton> <QString> <QTableView> <QTimer> <QWidget>)
set(TC_TEST_OPTIONS -O0)

# tc_test_pch_carriers() : the two targets whose precompiled headers the tests reuse.
function(tc_test_pch_carriers)
  if(NOT TC_PCH OR TARGET tc_test_pch_core)
    return()
  endif()
  set(source ${PROJECT_BINARY_DIR}/tc_test_pch.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// Carries the test programs' precompiled header.\n")
  foreach(kind core qt)
    add_library(tc_test_pch_${kind} OBJECT ${source})
    target_compile_options(tc_test_pch_${kind} PRIVATE ${TC_WARNINGS} ${TC_TEST_OPTIONS})
    target_compile_definitions(tc_test_pch_${kind} PRIVATE
      TC_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TC_BINARY_DIR="${PROJECT_BINARY_DIR}")
    target_link_libraries(tc_test_pch_${kind} PRIVATE GTest::gtest GTest::gmock Threads::Threads)
  endforeach()
  target_precompile_headers(tc_test_pch_core PRIVATE <gmock/gmock.h> <gtest/gtest.h> ${TC_PCH_STD})
  if(TC_BUILD_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    target_link_libraries(tc_test_pch_qt PRIVATE Qt6::Widgets)
    target_precompile_headers(tc_test_pch_qt PRIVATE <gmock/gmock.h> <gtest/gtest.h> ${TC_PCH_STD} ${TC_PCH_QT})
  else()
    target_precompile_headers(tc_test_pch_qt PRIVATE <gmock/gmock.h> <gtest/gtest.h> ${TC_PCH_STD})
  endif()
endfunction()

set(TC_WARNINGS -Wall -Wextra -Werror)

# The environment of every test. Under ThreadSanitizer a report fails the test.
set(TC_TEST_ENV "QT_QPA_PLATFORM=offscreen" "ASAN_OPTIONS=detect_leaks=1")
if(TC_TSAN)
  list(APPEND TC_TEST_ENV
    "TSAN_OPTIONS=halt_on_error=1:exitcode=66:second_deadlock_stack=1:suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp")
endif()

# tc_include_root(target scope path) : makes src/<path> includable as "<path>/..." by
# `target` (and, with PUBLIC or INTERFACE, by whatever links it) through the include root
# build/include/<target>, which holds only a symbolic link to that one folder or file.
function(tc_include_root target scope path)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${root}/${path} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${path} ${root}/${path} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
endfunction()

# A Qt target whose strings reach Qt only through the kit's roads: no implicit
# conversion from char* or QByteArray compiles in its sources.
function(tc_qt_string_boundary)
  foreach(name ${ARGN})
    if(TARGET ${name})
      target_compile_definitions(${name} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_FROM_BYTEARRAY)
    endif()
  endforeach()
endfunction()

# tc_library(name SOURCES ... [LIBS ...]) : a static library of our own code. A library
# under src/ exports only its own folder; it sees other folders only through its LIBS.
function(tc_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  if(folder MATCHES "^\\.\\.")
    set(folder "")
  endif()
  if(NOT ARG_SOURCES)
    # Headers only so far.
    add_library(${name} INTERFACE)
    if(folder)
      tc_include_root(${name} INTERFACE ${folder})
    endif()
    if(ARG_LIBS)
      target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    endif()
    return()
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TC_WARNINGS})
  if(folder)
    tc_include_root(${name} PUBLIC ${folder})
  endif()
  target_compile_definitions(${name} PUBLIC
    TC_APP_NAME="${APP_NAME}" TC_APP_VERSION="${APP_VERSION}" TC_APP_COPYRIGHT="${APP_COPYRIGHT}"
    TC_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
  # In the -O1 trees the standard headers (and Qt Widgets' where linked) come
  # precompiled; the optimized tree compiles without, as GCC's flow warnings
  # misfire through a precompiled header at -O2.
  if(TC_PCH AND CMAKE_BUILD_TYPE STREQUAL "Debug")
    tc_own_sources(own_sources own_defs external ${ARG_LIBS})
    if("Qt6::Widgets" IN_LIST external)
      target_precompile_headers(${name} PRIVATE ${TC_PCH_STD} ${TC_PCH_QT})
    else()
      target_precompile_headers(${name} PRIVATE ${TC_PCH_STD})
    endif()
  endif()
endfunction()

# tc_window_folder(name QT <components> LIBS ...) : a window folder. Its core/ library always
# builds (its tests need no display); the library of every *.cpp here only with the GUI.
function(tc_window_folder name)
  cmake_parse_arguments(ARG "" "" "QT;LIBS" ${ARGN})
  add_subdirectory(core)
  if(NOT TC_BUILD_GUI)
    return()
  endif()
  find_package(Qt6 REQUIRED COMPONENTS ${ARG_QT})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  tc_library(${name} SOURCES ${sources} LIBS ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
endfunction()

# add_unit_test(name SOURCES ... [LIBS ...] [LABELS ...] [ENVIRONMENT ...] [ONE_THREAD] [COST c]
#               [SHARDS n] [TIMEOUT s]) : one GoogleTest executable, one CTest entry (or n).
# A test program is compiled without optimization in every tree (the libraries it tests
# keep the tree's level): test files, heavy with the framework's macros, compile a third
# faster. ENVIRONMENT replaces the tests' usual environment. ONE_THREAD marks a program
# that starts no thread: ThreadSanitizer would find nothing there, so its tree leaves it
# out; tests/one_thread.cpp, linked into it, fails the run when more than one thread is
# left when its tests end. COST orders a fresh tree's first run (CTest starts
# the costliest first, before it has timings of its own). SHARDS n runs the program as n
# CTest entries, each with its part of the tests (GoogleTest's sharding).
function(add_unit_test name)
  cmake_parse_arguments(ARG "ONE_THREAD" "TIMEOUT;SHARDS;COST" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  if(TC_TSAN AND ARG_ONE_THREAD)
    return()
  endif()
  if(ARG_ONE_THREAD)
    if(NOT TARGET tc_one_thread)
      add_library(tc_one_thread OBJECT ${PROJECT_SOURCE_DIR}/tests/one_thread.cpp)
      target_compile_options(tc_one_thread PRIVATE ${TC_WARNINGS} ${TC_TEST_OPTIONS})
      target_link_libraries(tc_one_thread PRIVATE GTest::gtest)
    endif()
    list(APPEND ARG_SOURCES $<TARGET_OBJECTS:tc_one_thread>)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TC_WARNINGS} ${TC_TEST_OPTIONS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TC_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TC_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  if(TC_PCH)
    tc_own_sources(own_sources own_defs external ${ARG_LIBS})
    if("Qt6::Widgets" IN_LIST external)
      target_precompile_headers(${name} REUSE_FROM tc_test_pch_qt)
    else()
      target_precompile_headers(${name} REUSE_FROM tc_test_pch_core)
    endif()
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(NOT ARG_SHARDS)
    set(ARG_SHARDS 1)
  endif()
  math(EXPR last "${ARG_SHARDS} - 1")
  foreach(shard RANGE ${last})
    set(test ${name})
    set(environment ${TC_TEST_ENV})
    if(ARG_ENVIRONMENT)
      set(environment ${ARG_ENVIRONMENT})
    endif()
    if(ARG_SHARDS GREATER 1)
      set(test ${name}_${shard})
      list(APPEND environment GTEST_TOTAL_SHARDS=${ARG_SHARDS} GTEST_SHARD_INDEX=${shard})
    endif()
    add_test(NAME ${test} COMMAND ${name})
    set_tests_properties(${test} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${environment}")
    if(ARG_COST)
      set_tests_properties(${test} PROPERTIES COST ${ARG_COST})
    endif()
    if(ARG_LABELS)
      set_tests_properties(${test} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
  endforeach()
endfunction()

# tc_bench(name SOURCES ... [LIBS ...]) : a benchmark program that prints its figures.
function(tc_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TC_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Threads::Threads)
endfunction()

# tc_own_sources(<sources-var> <defs-var> <external-var> libs...) : the sources
# (absolute paths) and public compile definitions of our own libraries among
# `libs` and everything they link, and the other libraries they link.
function(tc_own_sources sources_var defs_var external_var)
  set(sources "")
  set(defs "")
  set(external "")
  set(seen "")
  set(todo ${ARGN})
  while(todo)
    list(POP_FRONT todo lib)
    if(lib IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${lib})
    set(own FALSE)
    if(TARGET ${lib})
      get_target_property(imported ${lib} IMPORTED)
      get_target_property(dir ${lib} SOURCE_DIR)
      cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${dir}" own)
      if(imported)
        set(own FALSE)
      endif()
    endif()
    if(NOT own)
      list(APPEND external ${lib})
      continue()
    endif()
    get_target_property(type ${lib} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(lib_sources ${lib} SOURCES)
      foreach(s ${lib_sources})
        cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY "${dir}")
        list(APPEND sources ${s})
      endforeach()
    endif()
    get_target_property(lib_defs ${lib} INTERFACE_COMPILE_DEFINITIONS)
    if(lib_defs)
      list(APPEND defs ${lib_defs})
    endif()
    get_target_property(links ${lib} INTERFACE_LINK_LIBRARIES)
    if(links)
      # Links made from another folder come wrapped in "::@(...)" markers.
      list(FILTER links EXCLUDE REGEX "^::@")
      foreach(l ${links})
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" l "${l}")
        list(APPEND todo ${l})
      endforeach()
    endif()
  endwhile()
  list(REMOVE_DUPLICATES defs)
  list(REMOVE_DUPLICATES external)
  set(${sources_var} ${sources} PARENT_SCOPE)
  set(${defs_var} ${defs} PARENT_SCOPE)
  set(${external_var} ${external} PARENT_SCOPE)
endfunction()

# add_unsanitized_test(name SOURCES ... LIBS ... [TIMEOUT s]) : add_unit_test,
# but built without the sanitizers in a sanitizer build too, for tests that
# measure memory (ASan keeps freed memory resident). Our own libraries are
# compiled into the executable from their sources.
function(add_unsanitized_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(TC_TSAN)
    return()  # built without any sanitizer, it would add nothing to the thread checks
  endif()
  if(NOT TC_SANITIZE)
    add_unit_test(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS} TIMEOUT ${ARG_TIMEOUT})
    return()
  endif()
  tc_own_sources(own_sources own_defs external ${ARG_LIBS})
  add_unit_test(${name} SOURCES ${ARG_SOURCES} ${own_sources} LIBS ${external} TIMEOUT ${ARG_TIMEOUT})
  target_compile_definitions(${name} PRIVATE ${own_defs})
  # The libraries' files it compiles keep the tree's optimization; other flags than the
  # shared header's.
  set_target_properties(${name} PROPERTIES DISABLE_PRECOMPILE_HEADERS ON)
  foreach(property COMPILE_OPTIONS LINK_OPTIONS)
    get_target_property(options ${name} ${property})
    list(FILTER options EXCLUDE REGEX "sanitize|^-O0$")
    set_target_properties(${name} PROPERTIES ${property} "${options}")
  endforeach()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "")
endfunction()
