# Libraries of the Windows build.

# asio and nlohmann/json are header-only. A cross build has no Windows package of them: the
# build machine's Debian headers serve, through a folder that holds only them, so no other header of the
# build machine is seen. A build on Windows finds its own.
add_library(header_only_libs INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(header_only_dir ${CMAKE_BINARY_DIR}/header-only)
  file(MAKE_DIRECTORY ${header_only_dir})
  foreach(entry asio asio.hpp nlohmann)
    if(NOT EXISTS /usr/include/${entry})
      message(FATAL_ERROR "/usr/include/${entry} is missing: install libasio-dev and nlohmann-json3-dev (scripts/deps)")
    endif()
    file(CREATE_LINK /usr/include/${entry} ${header_only_dir}/${entry} SYMBOLIC)
  endforeach()
else()
  find_path(header_only_dir asio.hpp REQUIRED)
endif()
target_include_directories(header_only_libs SYSTEM INTERFACE ${header_only_dir})

# libgcrypt (libgcrypt-mingw-w64-dev) verifies the update's Ed25519 signature.
find_library(GCRYPT_LIBRARY NAMES libgcrypt.a REQUIRED)
find_library(GPG_ERROR_LIBRARY NAMES libgpg-error.a REQUIRED)
find_path(GCRYPT_INCLUDE_DIR gcrypt.h REQUIRED)
add_library(Gcrypt::Gcrypt INTERFACE IMPORTED GLOBAL)
target_include_directories(Gcrypt::Gcrypt INTERFACE ${GCRYPT_INCLUDE_DIR})
target_link_libraries(Gcrypt::Gcrypt INTERFACE ${GCRYPT_LIBRARY} ${GPG_ERROR_LIBRARY} ws2_32)
