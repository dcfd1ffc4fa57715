# Shared build settings: warnings, sanitizers and the helper that declares a test binary.

add_library(quillo_warnings INTERFACE)
# Designated initialisers name only the members they set; the rest keep their defaults on purpose.
target_compile_options(quillo_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wconversion -Wno-sign-conversion
  -Wno-missing-field-initializers)

if(QUILLO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUILLO_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  # Instrument every library for coverage; only the fuzz executables link the fuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(QUILLO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# quillo_add_test(NAME SOURCES... LIBS... [PROPERTIES name value...]): one GoogleTest binary, its cases
# registered with CTest, each with the given test properties besides the timeout.
function(quillo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main quillo_warnings)
  # Header-only test helpers (testing/Thrown.h) for every suite, whatever it links.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # A hang is a failure, not a stalled CI run.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 ${ARG_PROPERTIES})
endfunction()
