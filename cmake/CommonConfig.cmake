# One INTERFACE target carries the standard, the warnings and the sanitizer flags for
# every target of the project.
add_library(common_cfg INTERFACE)
target_compile_features(common_cfg INTERFACE cxx_std_20)
target_compile_options(common_cfg INTERFACE -Wall -Wextra -Werror)
target_include_directories(common_cfg INTERFACE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

if(NIMBRA_SANITIZE)
  target_compile_options(common_cfg INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                              -fno-sanitize-recover=undefined)
  target_link_options(common_cfg INTERFACE -fsanitize=address,undefined)
else()
  target_compile_definitions(common_cfg INTERFACE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  target_compile_options(common_cfg INTERFACE -fstack-protector-strong)
endif()
