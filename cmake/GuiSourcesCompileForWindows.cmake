# A cross build without a Qt for Windows builds no window. Its sources are still compiled
# for Windows, syntax only, with this build's compiler, flags and include folders against
# the build machine's Qt 6 headers and forms made by its uic: a Linux-only header or call
# in a window, the skin or the main block then fails this build, not the first build on
# Windows. Nothing is linked; this is no Windows Qt build.
#
# The sources are picked by folder, as the GUI library gathers them: every source in ui/,
# skin/ and nimbra/, and those in core/ that (or whose header) use Qt or a form.

find_program(NIMBRA_HOST_QTPATHS qtpaths6 DOC "The build machine's Qt 6 qtpaths, naming its headers and uic")
if(NIMBRA_HOST_QTPATHS)
  execute_process(COMMAND ${NIMBRA_HOST_QTPATHS} --query QT_INSTALL_HEADERS
                  OUTPUT_VARIABLE host_qt_headers OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${NIMBRA_HOST_QTPATHS} --query QT_INSTALL_LIBEXECS
                  OUTPUT_VARIABLE host_qt_libexecs OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT EXISTS "${host_qt_headers}/QtWidgets/QWidget" OR NOT EXISTS "${host_qt_libexecs}/uic")
  message(WARNING "No Qt 6 headers and uic on the build machine (qt6-base-dev, qt6-base-dev-tools): "
                  "the GUI sources are not compiled for Windows")
  return()
endif()

set(gui_check_dir ${CMAKE_BINARY_DIR}/gui-sources-for-windows)

file(GLOB gui_forms CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ui/*.ui ${CMAKE_SOURCE_DIR}/skin/*.ui
     ${CMAKE_SOURCE_DIR}/nimbra/*.ui ${CMAKE_SOURCE_DIR}/core/*.ui)
set(gui_form_headers)
foreach(form IN LISTS gui_forms)
  get_filename_component(name ${form} NAME_WE)
  add_custom_command(
    OUTPUT ${gui_check_dir}/ui_${name}.h
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gui_check_dir}
    COMMAND ${host_qt_libexecs}/uic -o ${gui_check_dir}/ui_${name}.h ${form}
    DEPENDS ${form}
    COMMENT "Making ui_${name}.h with the build machine's uic"
    VERBATIM)
  list(APPEND gui_form_headers ${gui_check_dir}/ui_${name}.h)
endforeach()

file(GLOB gui_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ui/*.cpp ${CMAKE_SOURCE_DIR}/skin/*.cpp
     ${CMAKE_SOURCE_DIR}/nimbra/*.cpp)
file(GLOB core_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/core/*.cpp)
foreach(source IN LISTS core_sources)
  string(REGEX REPLACE "\\.cpp$" ".h" header ${source})
  foreach(file ${source} ${header})
    if(EXISTS ${file})
      file(STRINGS ${file} qt_includes REGEX "^#include [<\"](Q[A-Za-z]+|ui_[A-Za-z]+\\.h)[>\"]")
      if(qt_includes)
        list(APPEND gui_sources ${source})
        break()
      endif()
    endif()
  endforeach()
endforeach()

# The logic library's flags, definitions and include folders, as its own sources get them;
# the compiler's own folders stay out, as CMake leaves them out: named again they would come
# before its C++ headers.
set(implicit_folders ${CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES})
list(TRANSFORM implicit_folders REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1")
list(JOIN implicit_folders "|" implicit_folders)
set(logic_includes "$<FILTER:$<TARGET_PROPERTY:nimbra_logic,INCLUDE_DIRECTORIES>,EXCLUDE,^(${implicit_folders})$>")
set(logic_definitions "$<TARGET_PROPERTY:nimbra_logic,COMPILE_DEFINITIONS>")
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
separate_arguments(build_flags UNIX_COMMAND "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}")
set(gui_compile
    ${CMAKE_CXX_COMPILER} ${build_flags} ${CMAKE_CXX20_STANDARD_COMPILE_OPTION}
    "$<TARGET_PROPERTY:nimbra_logic,COMPILE_OPTIONS>"
    "$<$<BOOL:${logic_definitions}>:-D$<JOIN:${logic_definitions},$<SEMICOLON>-D>>"
    "$<$<BOOL:${logic_includes}>:-I$<JOIN:${logic_includes},$<SEMICOLON>-I>>"
    -I${gui_check_dir}
    -isystem ${host_qt_headers} -isystem ${host_qt_headers}/QtCore
    -isystem ${host_qt_headers}/QtGui -isystem ${host_qt_headers}/QtWidgets
    # The Qt headers were configured for Linux: an attribute mingw ignores in them is no
    # fault of the sources checked.
    -fsyntax-only -Wno-attributes)

set(gui_stamps)
foreach(source IN LISTS gui_sources)
  file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${source})
  set(stamp ${gui_check_dir}/${name}.checked)
  get_filename_component(stamp_dir ${stamp} DIRECTORY)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stamp_dir}
    COMMAND ${gui_compile} -MD -MF ${stamp}.d -MT ${stamp} ${source}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${source} ${gui_form_headers}
    DEPFILE ${stamp}.d
    COMMENT "Compiling ${name} for Windows, syntax only"
    COMMAND_EXPAND_LISTS
    VERBATIM)
  list(APPEND gui_stamps ${stamp})
endforeach()
if(NOT gui_forms OR NOT gui_sources)
  message(FATAL_ERROR "No GUI forms or sources found in ui/, skin/, nimbra/ and core/")
endif()
add_custom_target(gui_sources_compile_for_windows ALL DEPENDS ${gui_stamps})
