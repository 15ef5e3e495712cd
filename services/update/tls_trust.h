// The certificate authorities a TLS client trusts: the system's defaults
// (SSL_CERT_FILE and SSL_CERT_DIR honoured).
#pragma once

#include <openssl/ssl.h>

[[nodiscard]] inline bool AddPlatformRootCertificates(SSL_CTX* ctx) noexcept {
  return SSL_CTX_set_default_verify_paths(ctx) == 1;
}
