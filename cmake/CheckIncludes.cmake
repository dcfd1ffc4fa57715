# Fails when a file includes against the dependency order: a folder of BrimlockCore or a room of
# QuilloToDo/Views including a sibling it does not link, or product code (anything outside a tests/
# folder) including testing/.
# -DROOT=<repository root> -DRULES="Parent|Folder=Allowed,Allowed;..."
cmake_minimum_required(VERSION 3.25)
set(failures "")
foreach(rule IN LISTS RULES)
  string(REGEX MATCH "^([^|]+)\\|([^=]+)=(.*)$" matched "${rule}")
  set(parent "${CMAKE_MATCH_1}")
  set(folder "${CMAKE_MATCH_2}")
  set(allowedText "${CMAKE_MATCH_3}")
  string(REPLACE "," ";" allowed "${allowedText}")
  file(GLOB files "${ROOT}/${parent}/${folder}/*.h" "${ROOT}/${parent}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^#include \"${parent}/")
    foreach(line IN LISTS includes)
      # An include of a file directly in the parent, outside every folder, matches no folder name.
      string(REGEX REPLACE "^#include \"${parent}/([A-Za-z]+)/.*" "\\1" target "${line}")
      if(NOT target IN_LIST allowed)
        list(APPEND failures "${file}: ${line} (${parent}/${folder} may include ${allowedText})")
      endif()
    endforeach()
  endforeach()
endforeach()

file(GLOB_RECURSE productFiles "${ROOT}/BrimlockCore/*" "${ROOT}/QuilloToDoKit/*" "${ROOT}/Platform/*"
  "${ROOT}/QuilloToDo/*" "${ROOT}/QuilloDesignKit/*" "${ROOT}/QuilloToDoFCPExtension/*")
foreach(file IN LISTS productFiles)
  if(file MATCHES "/(tests|tools|gallery)/" OR NOT file MATCHES "\\.(h|cpp)$")
    continue()
  endif()
  file(STRINGS "${file}" includes REGEX "^#include \"testing/")
  foreach(line IN LISTS includes)
    list(APPEND failures "${file}: ${line} (product code may not include testing/)")
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "Includes against the dependency order:\n${text}")
endif()
