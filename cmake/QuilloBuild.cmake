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

# The include rules. quillo_include_parent(PARENT OUTSIDE PATHS...): every .h and .cpp under PARENT
# lies in a folder that a rule names, and includes, outside PARENT, only what lies under PATHS.
# quillo_include_rule(PARENT FOLDER ALLOWED...): every file under PARENT/FOLDER, its tests/ and
# subfolders too, includes, of PARENT's folders, only FOLDER itself and the ALLOWED ones.
# The test side is every file with a folder tests/, tools/, gallery/ or testing/ on its path from the
# repository root. Product code includes nothing of it; a test under PARENT includes, of it, only
# testing/, PARENT/testing/ (the helpers PARENT's tests share) and its own tests/ folder.
# quillo_check_includes() (called once, after every folder is declared) makes the build fail on an
# include against these rules (cmake/CheckIncludes.cmake); the test IncludeCheck breaks each rule on a
# scratch tree and sees the check fail.
function(quillo_include_parent parent)
  cmake_parse_arguments(ARG "" "" "OUTSIDE" ${ARGN})
  list(JOIN ARG_OUTSIDE "," outsideText)
  set_property(GLOBAL APPEND PROPERTY QUILLO_INCLUDE_PARENTS "${parent}=${outsideText}")
endfunction()

function(quillo_include_rule parent folder)
  get_property(parents GLOBAL PROPERTY QUILLO_INCLUDE_PARENTS)
  list(FILTER parents INCLUDE REGEX "^${parent}=")
  if(NOT parents)
    message(FATAL_ERROR "quillo_include_rule(${parent} ${folder}): declare ${parent} with quillo_include_parent first")
  endif()
  set(allowed ${folder} ${ARGN})
  list(JOIN allowed "," allowedText)
  set_property(GLOBAL APPEND PROPERTY QUILLO_INCLUDE_RULES "${parent}|${folder}=${allowedText}")
endfunction()

function(quillo_check_includes)
  get_property(parents GLOBAL PROPERTY QUILLO_INCLUDE_PARENTS)
  get_property(rules GLOBAL PROPERTY QUILLO_INCLUDE_RULES)
  set(product BrimlockCore QuilloToDoKit Platform QuilloToDo QuilloDesignKit QuilloToDoFCPExtension)
  set(patterns "")
  foreach(top IN LISTS product)
    list(APPEND patterns ${PROJECT_SOURCE_DIR}/${top}/*.h ${PROJECT_SOURCE_DIR}/${top}/*.cpp)
  endforeach()
  file(GLOB_RECURSE checkedSources CONFIGURE_DEPENDS ${patterns})
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/includes-checked
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} "-DPRODUCT=${product}" "-DPARENTS=${parents}"
            "-DRULES=${rules}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/includes-checked
    DEPENDS ${checkedSources} ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking includes against the folder dependencies"
    VERBATIM)
  add_custom_target(QuilloIncludes ALL DEPENDS ${CMAKE_BINARY_DIR}/includes-checked)
  add_test(NAME IncludeCheck
    COMMAND ${CMAKE_COMMAND} -DCHECK=${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
            -DSCRATCH=${CMAKE_BINARY_DIR}/include-check-scratch -P ${PROJECT_SOURCE_DIR}/cmake/tests/CheckIncludesTests.cmake)
endfunction()
