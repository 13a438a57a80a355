# Checks of the maker's build settings that would otherwise only show in a shipped program.
# Included by BuildConfig.cmake; also runs as a script (cmake -D... -P) so the checks can be
# tried without configuring the whole project.

# The reference service's demonstration key. Its seed is in the repository, so anyone can
# sign an "update" with it: only a build that talks to a service on this machine may trust it.
set(NIMBRA_DEMO_UPDATE_PUBLIC_KEY "03a107bff3ce10be1d70dd18e74bc09967e4d6309ba50d5f1ddc8664125531b8")

# An address on this machine: 127.0.0.0/8, localhost or ::1. Anything else, or anything that
# does not parse as an address, counts as reaching out.
function(nimbra_is_local_address address result)
  string(TOLOWER "${address}" address)
  set(octet "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])")
  if(address MATCHES "^[a-z][a-z0-9+.-]*://(127\\.${octet}\\.${octet}\\.${octet}|localhost|\\[::1\\])(:[0-9]*)?(/.*)?$")
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(nimbra_check_build_config)
  # The service enciphers with one lower-case letter; any other key deciphers its values
  # into garbage, so a wrong key is stopped here rather than found at the first handshake.
  if(NOT NIMBRA_CIPHER_KEY MATCHES "^[a-z]$")
    message(FATAL_ERROR "NIMBRA_CIPHER_KEY must be exactly one lower-case letter (a..z), "
                        "the one the service enciphers with; it is \"${NIMBRA_CIPHER_KEY}\".")
  endif()
  string(LENGTH "${NIMBRA_UPDATE_PUBLIC_KEY}" key_length)
  if(NOT key_length EQUAL 64 OR NOT NIMBRA_UPDATE_PUBLIC_KEY MATCHES "^[0-9a-fA-F]+$")
    message(FATAL_ERROR "NIMBRA_UPDATE_PUBLIC_KEY must be an Ed25519 public key written as exactly 64 "
                        "hex digits (32 bytes); it is \"${NIMBRA_UPDATE_PUBLIC_KEY}\". Without a valid "
                        "key no update could ever be verified.")
  endif()
  # The service and the download are reached over plain HTTP, so with the demonstration key
  # anyone on the path to a real service could hand the program an update it would run.
  string(TOLOWER "${NIMBRA_UPDATE_PUBLIC_KEY}" key)
  if(key STREQUAL NIMBRA_DEMO_UPDATE_PUBLIC_KEY)
    foreach(option NIMBRA_SERVICE_HOST1 NIMBRA_SERVICE_HOST2 NIMBRA_SERVICE_HOST3 NIMBRA_DOWNLOAD_HOST)
      nimbra_is_local_address("${${option}}" local)
      if(NOT local)
        message(FATAL_ERROR "${option} is \"${${option}}\", a service outside this machine, but "
                            "NIMBRA_UPDATE_PUBLIC_KEY is still the reference service's demonstration "
                            "key, whose secret is public. Set NIMBRA_UPDATE_PUBLIC_KEY to the public "
                            "key your updates are signed with (nimbra-service --public-key prints it).")
      endif()
    endforeach()
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  nimbra_check_build_config()
endif()
