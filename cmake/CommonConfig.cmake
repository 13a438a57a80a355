# One INTERFACE target carries the standard, the warnings and the sanitizer flags for
# every target of the project.
add_library(common_cfg INTERFACE)
target_compile_features(common_cfg INTERFACE cxx_std_20)
target_compile_options(common_cfg INTERFACE -Wall -Wextra)
# Our own builds treat warnings as errors; a newer compiler's new warnings must not stop
# someone else from building the program, so it is off unless asked for.
option(NIMBRA_WERROR "Treat compiler warnings as errors" OFF)
if(NIMBRA_WERROR)
  target_compile_options(common_cfg INTERFACE -Werror)
endif()
target_include_directories(common_cfg INTERFACE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

if(NIMBRA_SANITIZE)
  # The sanitizers' instrumentation, optimised, makes GCC's maybe-uninitialized analysis
  # report the standard library's own code (std::regex, std::function); the plain build
  # keeps the warning.
  target_compile_options(common_cfg INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                              -fno-sanitize-recover=undefined
                                              $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
  target_link_options(common_cfg INTERFACE -fsanitize=address,undefined)
else()
  target_compile_definitions(common_cfg INTERFACE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  target_compile_options(common_cfg INTERFACE -fstack-protector-strong)
  # mingw-w64 keeps the stack protector's and the fortified functions' runtime in libssp.
  if(WIN32)
    target_link_libraries(common_cfg INTERFACE ssp)
  endif()
endif()
