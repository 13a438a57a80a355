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
# The Ed25519 public key the downloaded new version's signature must verify against, as 64
# hex digits. The default is the reference service's demonstration key, accepted only while
# every address above is on this machine: a shipped program carries its maker's own.
include(${CMAKE_CURRENT_LIST_DIR}/BuildConfigChecks.cmake)
set(NIMBRA_UPDATE_PUBLIC_KEY "${NIMBRA_DEMO_UPDATE_PUBLIC_KEY}"
    CACHE STRING "Ed25519 public key (64 hex digits) that signs the program's updates")
nimbra_check_build_config()

configure_file(${CMAKE_SOURCE_DIR}/cmake/BuildConfig.h.in ${CMAKE_BINARY_DIR}/generated/nimbra/BuildConfig.h @ONLY)
