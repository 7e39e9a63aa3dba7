# tc_pkg_config_target(PREFIX MODULE...) : runs pkg_check_modules(PREFIX MODULE...) and makes the
# imported target PkgConfig::PREFIX from its results. FindPkgConfig's own IMPORTED_TARGET puts an
# "-isystem DIR" of the cflags among the include directories on a tree's first configure and among
# the compile options on every later one, so each reconfigure changed the compile lines and rebuilt
# every object that sees the module. Here both configures write the same lines.
function(tc_pkg_config_target prefix)
  pkg_check_modules(${prefix} ${ARGN})
  if(NOT ${prefix}_FOUND OR TARGET PkgConfig::${prefix})
    set(${prefix}_FOUND ${${prefix}_FOUND} PARENT_SCOPE)
    return()
  endif()
  set(system_dirs)
  set(options)
  set(next_is_system_dir OFF)
  foreach(flag IN LISTS ${prefix}_CFLAGS_OTHER)
    if(next_is_system_dir)
      list(APPEND system_dirs ${flag})
      set(next_is_system_dir OFF)
    elseif(flag STREQUAL "-isystem")
      set(next_is_system_dir ON)
    elseif(flag MATCHES "^-isystem(.+)$")
      list(APPEND system_dirs ${CMAKE_MATCH_1})
    else()
      list(APPEND options ${flag})
    endif()
  endforeach()
  add_library(PkgConfig::${prefix} INTERFACE IMPORTED GLOBAL)
  set_target_properties(PkgConfig::${prefix} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${${prefix}_INCLUDE_DIRS};${system_dirs}"
    INTERFACE_COMPILE_OPTIONS "${options}"
    INTERFACE_LINK_LIBRARIES "${${prefix}_LINK_LIBRARIES}"
    INTERFACE_LINK_OPTIONS "${${prefix}_LDFLAGS_OTHER}")
  set(${prefix}_FOUND ON PARENT_SCOPE)
endfunction()
