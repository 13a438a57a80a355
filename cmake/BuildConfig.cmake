# Addresses and the cipher key belong to whoever ships the program; they are cache
# variables written into one generated header. The defaults point at the local
# reference service (tools/nimbra-service).
set(NIMBRA_MAKER_NAME "Nimbra Project" CACHE STRING "Maker's name on the About page")
set(NIMBRA_MAKER_SITE "http://127.0.0.1:8369" CACHE STRING "Maker's web site")
set(NIMBRA_CONTACT_HOST "http://127.0.0.1:8369" CACHE STRING "Host of the contact page")
set(NIMBRA_IPCHECK_SITE "http://127.0.0.1:8369/ip" CACHE STRING "Outside IP-check page")
set(NIMBRA_IPCHECK_NAME "127.0.0.1:8369" CACHE STRING "Name of the IP-check site shown on the About page")
set(NIMBRA_FIREWALL_HELP_HOST "http://127.0.0.1:8369" CACHE STRING "Host of the firewall help page")
set(NIMBRA_SERVICE_HOST1 "http://127.0.0.1:8369" CACHE STRING "First service address")
set(NIMBRA_SERVICE_HOST2 "http://127.0.0.2:8369" CACHE STRING "Second service address")
set(NIMBRA_SERVICE_HOST3 "http://127.0.0.3:8369" CACHE STRING "Third service address")
set(NIMBRA_DOWNLOAD_HOST "http://127.0.0.1:8369" CACHE STRING "Host of the update download")
set(NIMBRA_CIPHER_KEY "n" CACHE STRING "Key of the service answer's value cipher: one lower-case letter")
# The service enciphers with one lower-case letter; any other key deciphers its values
# into garbage, so a wrong key is stopped here rather than found at the first handshake.
if(NOT NIMBRA_CIPHER_KEY MATCHES "^[a-z]$")
  message(FATAL_ERROR "NIMBRA_CIPHER_KEY must be exactly one lower-case letter (a..z), "
                      "the one the service enciphers with; it is \"${NIMBRA_CIPHER_KEY}\".")
endif()

# The Ed25519 public key the downloaded new version's signature must verify against, as 64
# hex digits. The default is the reference service's demonstration key: a shipped program
# carries its maker's own.
set(NIMBRA_UPDATE_PUBLIC_KEY "03a107bff3ce10be1d70dd18e74bc09967e4d6309ba50d5f1ddc8664125531b8"
    CACHE STRING "Ed25519 public key (64 hex digits) that signs the program's updates")
string(LENGTH "${NIMBRA_UPDATE_PUBLIC_KEY}" key_length)
if(NOT key_length EQUAL 64 OR NOT NIMBRA_UPDATE_PUBLIC_KEY MATCHES "^[0-9a-fA-F]+$")
  message(FATAL_ERROR "NIMBRA_UPDATE_PUBLIC_KEY must be an Ed25519 public key written as exactly 64 "
                      "hex digits (32 bytes); it is \"${NIMBRA_UPDATE_PUBLIC_KEY}\". Without a valid "
                      "key no update could ever be verified.")
endif()

configure_file(${CMAKE_SOURCE_DIR}/cmake/BuildConfig.h.in ${CMAKE_BINARY_DIR}/generated/nimbra/BuildConfig.h @ONLY)
