# The include check on a scratch tree of its own: the tree as the rules want it passes, and each way
# of breaking them, added to it alone, fails with a message naming the file and the include.
# The tree lies under folders named tools/, tests/ and gallery/, as a checkout may.
# -DCHECK=<cmake/CheckIncludes.cmake> -DSCRATCH=<a folder the test may empty>
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${SCRATCH}")
set(root "${SCRATCH}/tools/tests/gallery/repo")

# Two checked parents: rooms Shell above Shared, with a test-support folder and tools; a core whose
# Model uses Timecode, with tests of its own.
set(parents "QuilloToDo/Views=QuilloToDo/Controllers" "BrimlockCore=")
set(rules
  "QuilloToDo/Views|Shell=Shell,Shared" "QuilloToDo/Views|Shared=Shared"
  "QuilloToDo/Views|testing=testing,Shared" "QuilloToDo/Views|tools=tools,Shell,Shared"
  "BrimlockCore|Timecode=Timecode" "BrimlockCore|Model=Model,Timecode" "BrimlockCore|tests=tests,Model,Timecode")
set(product QuilloToDo BrimlockCore)

function(write path)
  list(JOIN ARGN "\n" text)
  file(WRITE "${root}/${path}" "${text}\n")
endfunction()

# Every form of include a rule allows.
write(QuilloToDo/Views/Shared/Texts.h "#pragma once" "#include <vector>" "#include <gtest/gtest.h>")
write(QuilloToDo/Views/Shared/tests/TextsFixture.h "#include \"QuilloToDo/Views/Shared/Texts.h\"")
write(QuilloToDo/Views/Shell/Window.h
  "#pragma once" "#include \"QuilloToDo/Views/Shared/Texts.h\"" "#include <QuilloToDo/Controllers/Index.h>")
write(QuilloToDo/Views/Shell/Window.cpp
  "#include \"Window.h\"" "#  include \"../Shared/Texts.h\"" "  #include <QuilloToDo/Views/Shell/Window.h>"
  "#include \"Parts/Part.h\"")
write(QuilloToDo/Views/Shell/Parts/Part.h "#\tinclude \"QuilloToDo/Views/Shared/Texts.h\"")
write(QuilloToDo/Views/Shell/tests/WindowFixture.h "#include \"QuilloToDo/Views/testing/Windows.h\"")
write(QuilloToDo/Views/Shell/tests/WindowTests.cpp
  "#include \"QuilloToDo/Views/Shell/Window.h\"" "#include \"QuilloToDo/Views/Shared/Texts.h\""
  "#include \"WindowFixture.h\"" "#include \"QuilloToDo/Views/Shell/tests/WindowFixture.h\""
  "#include \"QuilloToDo/Views/testing/Windows.h\"" "#include \"testing/Builder.h\""
  "#include \"QuilloToDo/Controllers/Index.h\"")
write(QuilloToDo/Views/testing/Windows.h "#include \"QuilloToDo/Views/Shared/Texts.h\"" "#include \"testing/Builder.h\"")
write(QuilloToDo/Views/tools/shots.cpp "#include \"QuilloToDo/Views/Shell/Window.h\"" "#include \"testing/Builder.h\"")
write(QuilloToDo/Controllers/Index.h "#pragma once")
write(QuilloToDo/Controllers/Index.cpp "#include \"Index.h\"")
write(QuilloToDo/Controllers/tests/IndexTests.cpp "#include \"testing/Builder.h\"")
write(QuilloToDo/App/App.h "#include \"QuilloToDo/Views/Shell/Window.h\"")
write(BrimlockCore/Timecode/Rate.h "#pragma once")
write(BrimlockCore/Model/Clip.h "#include \"BrimlockCore/Timecode/Rate.h\"")
write(BrimlockCore/tests/Support.h "#include \"BrimlockCore/Model/Clip.h\"")
write(BrimlockCore/tests/ClipTests.cpp
  "#include \"BrimlockCore/Model/Clip.h\"" "#include \"Support.h\"" "#include \"testing/Builder.h\"")
write(testing/Builder.h "#pragma once")

function(run_check out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} "-DROOT=${root}" "-DPRODUCT=${product}" "-DPARENTS=${parents}" "-DRULES=${rules}"
            -P "${CHECK}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${out}_result "${result}" PARENT_SCOPE)
  set(${out}_output "${output}" PARENT_SCOPE)
endfunction()

set(faults "")
run_check(good)
if(NOT good_result EQUAL 0)
  list(APPEND faults "the tree that keeps the rules failed:\n${good_output}")
endif()

# bad(NAME FILE MESSAGE LINES...): FILE with LINES, alone in the tree, fails naming MESSAGE.
function(bad name path message)
  get_filename_component(folder "${root}/${path}" DIRECTORY)
  set(folderExisted FALSE)
  if(IS_DIRECTORY "${folder}")
    set(folderExisted TRUE)
  endif()
  write("${path}" ${ARGN})
  run_check(case)
  file(REMOVE "${root}/${path}")
  if(NOT folderExisted)
    file(REMOVE_RECURSE "${folder}")
  endif()
  string(FIND "${case_output}" "${message}" at)
  if(case_result EQUAL 0 OR at EQUAL -1)
    set(faults ${faults} "${name}: not caught (exit ${case_result}, looked for '${message}'):\n${case_output}"
        PARENT_SCOPE)
  else()
    message(STATUS "caught: ${name}")
  endif()
endfunction()

# bad_include(NAME FILE LINE): FILE holding LINE alone fails naming the file and the include.
function(bad_include name path line)
  string(STRIP "${line}" include)
  bad("${name}" "${path}" "${path}: ${include}" "${line}")
  set(faults ${faults} PARENT_SCOPE)
endfunction()

set(up "QuilloToDo/Views/Shell/Window.h")
bad_include("angle brackets" QuilloToDo/Views/Shared/Bad.h "#include <${up}>")
bad_include("a path relative to the including file" QuilloToDo/Views/Shared/Bad.cpp "#include \"../Shell/Window.h\"")
bad_include("blanks after the #" QuilloToDo/Views/Shared/Bad.h "#  include \"${up}\"")
bad_include("blanks before the #" QuilloToDo/Views/Shared/Bad.h "  #include \"${up}\"")
bad_include("a path through another folder" QuilloToDo/Views/Shared/Bad.h
  "#include \"QuilloToDo/Views/Shared/../Shell/Window.h\"")
bad_include("a room's tests" QuilloToDo/Views/Shared/tests/BadTests.cpp "#include \"${up}\"")
bad_include("a room's subfolder" QuilloToDo/Views/Shared/Parts/Bad.h "#include \"${up}\"")
bad("a folder no rule names" QuilloToDo/Views/Stray/Loose.h
  "QuilloToDo/Views/Stray: a folder no include rule names" "#pragma once")
bad("a file in no folder" QuilloToDo/Views/Loose.h
  "QuilloToDo/Views/Loose.h: lies in no folder of QuilloToDo/Views" "#pragma once")
bad_include("a file directly in the parent" QuilloToDo/Views/Shell/Bad.h "#include \"QuilloToDo/Views/Loose.h\"")
bad_include("a room including QuilloToDo/App" QuilloToDo/Views/Shell/Bad.h "#include \"QuilloToDo/App/App.h\"")
bad_include("a room's tests including QuilloToDo/App" QuilloToDo/Views/Shell/tests/BadTests.cpp
  "#include \"QuilloToDo/App/App.h\"")
bad_include("a room's tests including a lower room's tests" QuilloToDo/Views/Shell/tests/BadTests.cpp
  "#include \"QuilloToDo/Views/Shared/tests/TextsFixture.h\"")
bad_include("a room including testing/" QuilloToDo/Views/Shell/Bad.cpp "#include \"testing/Builder.h\"")
bad_include("a room including its own tests" QuilloToDo/Views/Shell/Bad.cpp "#include \"tests/WindowFixture.h\"")
bad_include("a room including the rooms' test support" QuilloToDo/Views/Shell/Bad.cpp
  "#include <QuilloToDo/Views/testing/Windows.h>")
bad_include("product code outside the rules including testing/" QuilloToDo/Controllers/Bad.cpp
  "#include \"testing/Builder.h\"")
bad_include("a core folder including a later one" BrimlockCore/Timecode/Bad.h "#include \"BrimlockCore/Model/Clip.h\"")
bad_include("a core folder including outside the core" BrimlockCore/Model/Bad.h
  "#include \"QuilloToDo/Controllers/Index.h\"")

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "${text}")
endif()
