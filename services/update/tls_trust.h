// The certificate authorities the TLS client trusts: the system's own.
#pragma once

// Declared here rather than through OpenSSL's headers, so that a Windows
// source can include <wincrypt.h> before them (see win_cert_store.h).
struct ssl_ctx_st;
typedef struct ssl_ctx_st SSL_CTX;

// Adds the system's trusted root certificates to context's store. On Windows
// these are the certificates of the ROOT system store; elsewhere OpenSSL's
// default places, which the SSL_CERT_FILE and SSL_CERT_DIR variables replace.
// False when none could be added: nothing would verify.
[[nodiscard]] bool AddPlatformRootCertificates(SSL_CTX* context) noexcept;
