# Test registration for both trees. In a Windows tree every test program runs under Wine
# through scripts/wine-env, inside one private Xvfb display and one private prefix that the
# wine_start fixture makes and wine_stop tears down. One ctest entry per program: each
# Wine start costs about a second.

if(CMAKE_CROSSCOMPILING)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_arch win64)
  else()
    set(_arch win32)
  endif()
  set(ZARVIK_WINE_ENV ${PROJECT_SOURCE_DIR}/scripts/wine-env --dir ${PROJECT_BINARY_DIR}/wine --arch ${_arch})
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZARVIK_WINE_ENV} run)

  add_test(NAME wine_start COMMAND ${ZARVIK_WINE_ENV} start)
  add_test(NAME wine_stop COMMAND ${ZARVIK_WINE_ENV} stop)
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
endif()

# zarvik_add_test(<target> [FIXTURES <fixture>...] [TIMEOUT <seconds>] [GAME_CONSOLE])
# GAME_CONSOLE: the program makes or looks for a game console window. There is one such
# window per display, as there is one game, so these programs never run side by side.
function(zarvik_add_test target)
  cmake_parse_arguments(arg "GAME_CONSOLE" "TIMEOUT" "FIXTURES" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 120)
  endif()
  add_test(NAME ${target} COMMAND ${target})
  set(fixtures ${arg_FIXTURES})
  if(CMAKE_CROSSCOMPILING)
    list(APPEND fixtures wine)
  endif()
  set_tests_properties(${target} PROPERTIES TIMEOUT ${arg_TIMEOUT})
  if(arg_GAME_CONSOLE)
    set_tests_properties(${target} PROPERTIES RESOURCE_LOCK game_console)
  endif()
  if(fixtures)
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED "${fixtures}")
  endif()
endfunction()

# zarvik_register_in_prefix(<dll target> <fixture>): registers a COM server in the test
# prefix with regsvr32 before the tests that require <fixture>, and unregisters it after.
function(zarvik_register_in_prefix dll fixture)
  add_test(NAME register_${dll} COMMAND ${ZARVIK_WINE_ENV} regsvr32 $<TARGET_FILE:${dll}>)
  add_test(NAME unregister_${dll} COMMAND ${ZARVIK_WINE_ENV} regsvr32 /u $<TARGET_FILE:${dll}>)
  set_tests_properties(register_${dll} PROPERTIES FIXTURES_SETUP ${fixture} FIXTURES_REQUIRED wine TIMEOUT 60)
  set_tests_properties(unregister_${dll} PROPERTIES FIXTURES_CLEANUP ${fixture} FIXTURES_REQUIRED wine
                                                    TIMEOUT 60)
endfunction()
