# OpenSSL for the TLS client, linked statically into the Windows programs:
# the mingw builds take the static libraries that scripts/lib/openssl.sh
# cross-builds from Debian's source package and caches (it runs here on
# configure, building once when the cache has none); native builds take
# Debian's libssl-dev. Everything that calls OpenSSL links veltrano_openssl.
# Another OpenSSL (an MSVC build, say) is chosen with OPENSSL_ROOT_DIR.

if(MINGW AND VELTRANO_TRIPLET AND NOT OPENSSL_ROOT_DIR)
  execute_process(
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/lib/openssl.sh ${VELTRANO_TRIPLET}
    OUTPUT_VARIABLE veltrano_openssl_prefix
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE veltrano_openssl_status)
  if(NOT veltrano_openssl_status EQUAL 0 OR NOT IS_DIRECTORY "${veltrano_openssl_prefix}/include/openssl")
    message(FATAL_ERROR "OpenSSL for ${VELTRANO_TRIPLET}: scripts/lib/openssl.sh failed (${veltrano_openssl_status})")
  endif()
  # The cache key changes with the tarball and the options: results found in
  # an earlier prefix are searched again.
  if(NOT "${veltrano_openssl_prefix}" STREQUAL "${VELTRANO_OPENSSL_PREFIX}")
    unset(OPENSSL_INCLUDE_DIR CACHE)
    unset(OPENSSL_SSL_LIBRARY CACHE)
    unset(OPENSSL_CRYPTO_LIBRARY CACHE)
    unset(LIB_EAY CACHE)
    unset(SSL_EAY CACHE)
    set(VELTRANO_OPENSSL_PREFIX "${veltrano_openssl_prefix}" CACHE INTERNAL "")
  endif()
  # The toolchain searches only below its find root path.
  list(APPEND CMAKE_FIND_ROOT_PATH "${veltrano_openssl_prefix}")
  set(OPENSSL_ROOT_DIR "${veltrano_openssl_prefix}")
endif()

if(WIN32)
  set(OPENSSL_USE_STATIC_LIBS TRUE)
endif()
find_package(OpenSSL 3.0 REQUIRED)

add_library(veltrano_openssl INTERFACE)
target_link_libraries(veltrano_openssl INTERFACE OpenSSL::SSL OpenSSL::Crypto)
if(WIN32)
  # What the static libraries call: sockets and the system's certificate
  # stores.
  target_link_libraries(veltrano_openssl INTERFACE ws2_32 crypt32)
endif()
