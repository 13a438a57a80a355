# The layout's rules, checked on the source tree: each folder's CMakeLists lists only its
# own sources, and the logic (core/, proxy/, service/) has no Qt, neither in an include nor
# among the libraries nimbra_logic links.
# Run as: cmake -DSOURCE_DIR=... -DLOGIC_LIBRARIES_FILE=... -P TestLayout.cmake
set(failures "")

# The source folders: build folders (and the wine prefix inside one) are not looked into.
file(GLOB folders LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
set(lists CMakeLists.txt)
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY ${SOURCE_DIR}/${folder} AND NOT folder MATCHES "^(build|\\.)")
    file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/CMakeLists.txt)
    list(APPEND lists ${found})
  endif()
endforeach()
foreach(list IN LISTS lists)
  file(READ ${SOURCE_DIR}/${list} text)
  string(REGEX MATCHALL "(\\$\\{CMAKE_SOURCE_DIR\\}|\\.\\.)/[^ \t\n)]*\\.(cpp|c|ui|qrc)[ \t\n)]" borrowed "${text}")
  if(borrowed)
    string(REPLACE "\${CMAKE_SOURCE_DIR}" "<source folder>" borrowed "${borrowed}")
    list(APPEND failures "${list} compiles another folder's source: ${borrowed}")
  endif()
endforeach()

foreach(folder core proxy service)
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} qtIncludes REGEX "^#include <Q")
    if(qtIncludes)
      list(APPEND failures "${source} includes Qt: ${qtIncludes}")
    endif()
  endforeach()
endforeach()

file(READ ${LOGIC_LIBRARIES_FILE} logicLibraries)
if(logicLibraries MATCHES "Qt")
  list(APPEND failures "nimbra_logic links Qt: ${logicLibraries}")
endif()

if(failures)
  list(JOIN failures "\n" message)
  message(FATAL_ERROR "${message}")
endif()
message(STATUS "layout: every folder lists only its own sources; the logic has no Qt")
