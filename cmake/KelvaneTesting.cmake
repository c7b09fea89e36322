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

# kelvane_add_gtest(NAME name SOURCES ... LIBS ... [QT])
# One test executable per folder; each case runs as its own CTest test.
# With QT the executable gets a QApplication on the offscreen platform.
function(kelvane_add_gtest)
  cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE kelvane_test_main_qt ${T_LIBS})
  else()
    target_link_libraries(${T_NAME} PRIVATE kelvane_test_main ${T_LIBS})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${KELVANE_TEST_ENV}" TIMEOUT 120)
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
