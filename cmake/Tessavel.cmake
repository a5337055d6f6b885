# Build helpers shared by every folder.

if(WIN32)
  file(WRITE ${PROJECT_BINARY_DIR}/not-built-tests.txt "")
endif()

# Warnings for our own targets (Qt and GoogleTest headers come in as system headers).
function(tessavel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TESSAVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tessavel_test(NAME <target> SOURCES <files...> LIBS <libs...> LABEL unit|gui|integration [TIMEOUT s] [QT])
# QT: the test links the shared test main that creates a QApplication on the offscreen platform.
function(tessavel_test)
  if(NOT TESSAVEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "QT" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  # Windows builds have no Qt Serial Port: a test that uses it directly is left out there, and
  # listed in not-built-tests.txt for scripts/windows/test.sh.
  if(WIN32 AND "Qt6::SerialPort" IN_LIST T_LIBS)
    file(APPEND ${PROJECT_BINARY_DIR}/not-built-tests.txt "${T_NAME}: uses Qt Serial Port directly\n")
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  tessavel_warnings(${T_NAME})
  if(T_QT)
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} tessavel_qt_test_main GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  endif()
  target_compile_definitions(${T_NAME} PRIVATE
    TESSAVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESSAVEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# tessavel_benchmark(NAME <target> [PLAIN] SOURCES <files...> LIBS <libs...>): built with the tests,
# run by hand (./build/test/.../name); never part of ctest. PLAIN: a timing program with its own main
# that needs no benchmark library, so it is built wherever the tests are (the Windows build too).
function(tessavel_benchmark)
  cmake_parse_arguments(B "PLAIN" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT TESSAVEL_TESTS OR (NOT B_PLAIN AND NOT benchmark_FOUND))
    return()
  endif()
  if(WIN32 AND "Qt6::SerialPort" IN_LIST B_LIBS)
    return()
  endif()
  add_executable(${B_NAME} ${B_SOURCES})
  tessavel_warnings(${B_NAME})
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS})
  if(NOT B_PLAIN)
    target_link_libraries(${B_NAME} PRIVATE benchmark::benchmark)
  endif()
  target_compile_definitions(${B_NAME} PRIVATE
    TESSAVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TESSAVEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
endfunction()
