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

# quillo_include_rule(PARENT FOLDER ALLOWED...): files directly in PARENT/FOLDER may include, of PARENT's
# folders, only FOLDER itself and the ALLOWED ones. quillo_check_includes() (called once, after every
# folder is declared) makes the build fail on an include against these rules (cmake/CheckIncludes.cmake).
function(quillo_include_rule parent folder)
  list(JOIN ARGN "," allowedText)
  set_property(GLOBAL APPEND PROPERTY QUILLO_INCLUDE_RULES "${parent}|${folder}=${folder},${allowedText}")
endfunction()

function(quillo_check_includes)
  get_property(rules GLOBAL PROPERTY QUILLO_INCLUDE_RULES)
  list(JOIN rules ";" rulesText)
  file(GLOB_RECURSE checkedSources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/BrimlockCore/*.h ${PROJECT_SOURCE_DIR}/BrimlockCore/*.cpp
    ${PROJECT_SOURCE_DIR}/QuilloToDoKit/*.h ${PROJECT_SOURCE_DIR}/QuilloToDoKit/*.cpp
    ${PROJECT_SOURCE_DIR}/Platform/*.h ${PROJECT_SOURCE_DIR}/Platform/*.cpp
    ${PROJECT_SOURCE_DIR}/QuilloToDo/*.h ${PROJECT_SOURCE_DIR}/QuilloToDo/*.cpp
    ${PROJECT_SOURCE_DIR}/QuilloDesignKit/*.h ${PROJECT_SOURCE_DIR}/QuilloDesignKit/*.cpp
    ${PROJECT_SOURCE_DIR}/QuilloToDoFCPExtension/*.h ${PROJECT_SOURCE_DIR}/QuilloToDoFCPExtension/*.cpp)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/includes-checked
    COMMAND ${CMAKE_COMMAND} "-DRULES=${rulesText}" -DROOT=${PROJECT_SOURCE_DIR}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/includes-checked
    DEPENDS ${checkedSources} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking includes against the folder dependencies"
    VERBATIM)
  add_custom_target(QuilloIncludes ALL DEPENDS ${CMAKE_BINARY_DIR}/includes-checked)
endfunction()
