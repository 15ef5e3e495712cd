#include "services/update/tls_trust.h"

#ifdef _WIN32
#include "services/update/win_cert_store.h"

#include <climits>
#endif

#include <openssl/ssl.h>
#include <openssl/x509.h>

#ifdef _WIN32

bool AddPlatformRootCertificates(SSL_CTX* context) noexcept {
  if (context == nullptr) return false;
  X509_STORE* trusted = SSL_CTX_get_cert_store(context);
  const CCertStore root(CertOpenSystemStoreW(0, L"ROOT"));
  if (trusted == nullptr || !root) return false;
  int added = 0;
  // Each call frees the context it is given; the loop runs to the end, so
  // none is left to free.
  for (PCCERT_CONTEXT certificate = CertEnumCertificatesInStore(root.Get(), nullptr); certificate != nullptr;
       certificate = CertEnumCertificatesInStore(root.Get(), certificate)) {
    if (certificate->cbCertEncoded > LONG_MAX) continue;
    const unsigned char* der = certificate->pbCertEncoded;
    X509* parsed = d2i_X509(nullptr, &der, static_cast<long>(certificate->cbCertEncoded));
    // A root OpenSSL cannot read is one it cannot use either: skipped.
    if (parsed == nullptr) continue;
    if (X509_STORE_add_cert(trusted, parsed) == 1) ++added;
    X509_free(parsed);
  }
  return added > 0;
}

#else

bool AddPlatformRootCertificates(SSL_CTX* context) noexcept {
  return context != nullptr && SSL_CTX_set_default_verify_paths(context) == 1;
}

#endif
