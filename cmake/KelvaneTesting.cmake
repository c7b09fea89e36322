# Helpers shared by the test folders.

# Widget tests run on the offscreen platform; XDG_RUNTIME_DIR keeps Qt quiet.
set(KELVANE_RUNTIME_DIR ${CMAKE_BINARY_DIR}/xdg-runtime)
file(MAKE_DIRECTORY ${KELVANE_RUNTIME_DIR})
file(CHMOD ${KELVANE_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(KELVANE_TEST_ENV
    "QT_QPA_PLATFORM=offscreen"
    "QT_QPA_OFFSCREEN_NO_GLX=1"
    "XDG_RUNTIME_DIR=${KELVANE_RUNTIME_DIR}"
    "ASAN_OPTIONS=detect_leaks=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/common/lsan.supp"
    "UBSAN_OPTIONS=print_stacktrace=1")

# The locales that tests touching numbers run under as well: a comma decimal separator
# with a point, and with a narrow no-break space, for thousands.
set(KELVANE_TEST_LOCALES de_DE.UTF-8 fr_FR.UTF-8)

# kelvane_discover_gtests(TARGET SUFFIX ENV...): every case of TARGET as its own CTest test,
# named case+SUFFIX, with the environment ENV. gtest_discover_tests writes a list-valued
# property as separate words, so only its first variable would reach the test: the
# environment is set by a script CTest reads after the discovered tests instead.
function(kelvane_discover_gtests target suffix)
  set(list_name ${target}${suffix}_TESTS)
  string(MAKE_C_IDENTIFIER ${list_name} list_name)
  gtest_discover_tests(${target}
    TEST_SUFFIX "${suffix}"
    TEST_LIST ${list_name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${list_name}_environment.cmake)
  file(WRITE ${script} "foreach(test IN LISTS ${list_name})\n"
                       "  set_tests_properties(\"\${test}\" PROPERTIES ENVIRONMENT \"${ARGN}\")\n"
                       "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# kelvane_add_gtest(NAME name SOURCES ... LIBS ... [QT] [LOCALES] [LOCALE_FILTER pattern])
# One test executable per folder; each case runs as its own CTest test.
# With QT the executable gets a QApplication on the offscreen platform.
# With LOCALES every case runs again under each of KELVANE_TEST_LOCALES (name@locale);
# LOCALE_FILTER instead runs only the matching cases, in one process per locale.
function(kelvane_add_gtest)
  cmake_parse_arguments(T "QT;LOCALES" "NAME;LOCALE_FILTER" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE kelvane_test_main_qt ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE kelvane_test_main ${T_LIBS})
  endif()
  kelvane_discover_gtests(${T_NAME} "" ${KELVANE_TEST_ENV})
  foreach(locale IN LISTS KELVANE_TEST_LOCALES)
    # The test main refuses to run when the locale is not installed, so a missing
    # locale fails instead of quietly testing under the C locale again.
    set(env ${KELVANE_TEST_ENV} "LC_ALL=${locale}" "KELVANE_TEST_LOCALE=${locale}")
    string(REPLACE ".UTF-8" "" short ${locale})
    if(T_LOCALE_FILTER)
      add_test(NAME ${T_NAME}@${short}
               COMMAND ${T_NAME} --gtest_filter=${T_LOCALE_FILTER})
      set_tests_properties(${T_NAME}@${short} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
    elseif(T_LOCALES)
      kelvane_discover_gtests(${T_NAME} @${short} ${env})
    endif()
  endforeach()
endfunction()

# kelvane_fuzzing_copy(lib): lib_fuzzing, the static library `lib` built again with the
# coverage instrumentation libFuzzer steers by, so that the shipped targets carry none.
function(kelvane_fuzzing_copy lib)
  if(TARGET ${lib}_fuzzing)
    return()
  endif()
  get_target_property(dir ${lib} SOURCE_DIR)
  get_target_property(sources ${lib} SOURCES)
  set(absolute "")
  foreach(source IN LISTS sources)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${dir}/${source})
    endif()
    list(APPEND absolute ${source})
  endforeach()
  add_library(${lib}_fuzzing STATIC ${absolute})
  foreach(property INCLUDE_DIRECTORIES INTERFACE_INCLUDE_DIRECTORIES COMPILE_DEFINITIONS
                   COMPILE_OPTIONS LINK_LIBRARIES INTERFACE_LINK_LIBRARIES
                   POSITION_INDEPENDENT_CODE AUTOMOC)
    get_target_property(value ${lib} ${property})
    if(NOT value STREQUAL "value-NOTFOUND")
      set_property(TARGET ${lib}_fuzzing PROPERTY ${property} "${value}")
    endif()
  endforeach()
  target_compile_options(${lib}_fuzzing PRIVATE -fsanitize=fuzzer-no-link)
endfunction()

# kelvane_add_fuzzer(NAME name SOURCES ... LIBS ... [SECONDS n])
# A libFuzzer target (clang builds only), run for a bounded time by CTest.
function(kelvane_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT KELVANE_FUZZ)
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 5)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  foreach(lib IN LISTS F_LIBS)
    kelvane_fuzzing_copy(${lib})
    target_link_libraries(${F_NAME} PRIVATE ${lib}_fuzzing)
  endforeach()
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer-no-link)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME ${F_NAME}
           COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -print_final_stats=1 ${corpus})
  set_tests_properties(${F_NAME} PROPERTIES ENVIRONMENT "${KELVANE_TEST_ENV}"
                       TIMEOUT 300)
endfunction()
