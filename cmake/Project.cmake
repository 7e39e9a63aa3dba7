# Helpers shared by every folder.

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
    TC_APP_NAME="${APP_NAME}" TC_APP_VERSION="${APP_VERSION}"
    TC_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()

# add_unit_test(name SOURCES ... [LIBS ...] [LABELS ...]) : one GoogleTest executable, one CTest entry.
function(add_unit_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TC_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TC_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TC_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${TC_TEST_ENV}")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# tc_bench(name SOURCES ... [LIBS ...]) : a benchmark program that prints its figures.
function(tc_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${TC_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Threads::Threads)
endfunction()

# add_unsanitized_test(name SOURCES ... [LIBS ...]) : add_unit_test built without the
# sanitizers even in a sanitizer build, for tests that measure resident memory (ASan's
# shadow and quarantine keep freed memory resident). Our libraries are built with the
# sanitizers and cannot be linked: list the project's .cpp files it needs in SOURCES.
function(add_unsanitized_test name)
  add_unit_test(${name} ${ARGN})
  foreach(property COMPILE_OPTIONS LINK_OPTIONS)
    get_target_property(options ${name} ${property})
    if(options)
      list(FILTER options EXCLUDE REGEX "^-f(no-)?sanitize")
      set_target_properties(${name} PROPERTIES ${property} "${options}")
    endif()
  endforeach()
endfunction()
