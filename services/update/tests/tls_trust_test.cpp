#include "services/update/tls_trust.h"

#include <gtest/gtest.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "services/update/tests/test_pki.h"

namespace {

using test_pki::ServerCase;

struct ContextFree {
  void operator()(SSL_CTX* context) const noexcept { SSL_CTX_free(context); }
};
struct StoreContextFree {
  void operator()(X509_STORE_CTX* context) const noexcept { X509_STORE_CTX_free(context); }
};

// Makes the system trust the test authority, in the test's own world only:
// the Wine prefix's root store, or natively the file SSL_CERT_FILE names.
bool TrustTestAuthority() {
#ifdef _WIN32
  return test_pki::AddAuthorityToUserRootStore();
#else
  const std::string path = ::testing::TempDir() + "veltrano_test_authority.pem";
  return test_pki::WriteAuthorityFile(path) && setenv("SSL_CERT_FILE", path.c_str(), 1) == 0;
#endif
}

// X509_V_OK, or why the server's certificate does not verify for host.
int Verify(SSL_CTX* context, ServerCase which, const char* host, bool address) {
  const test_pki::X509Ptr leaf = test_pki::ReadCertificate(test_pki::Server(which).certificatePem);
  const std::unique_ptr<X509_STORE_CTX, StoreContextFree> check(X509_STORE_CTX_new());
  if (!leaf || !check || X509_STORE_CTX_init(check.get(), SSL_CTX_get_cert_store(context), leaf.get(), nullptr) != 1)
    return -1;
  X509_VERIFY_PARAM* param = X509_STORE_CTX_get0_param(check.get());
  const int named = address ? X509_VERIFY_PARAM_set1_ip_asc(param, host) : X509_VERIFY_PARAM_set1_host(param, host, 0);
  if (named != 1) return -1;
  return X509_verify_cert(check.get()) == 1 ? X509_V_OK : X509_STORE_CTX_get_error(check.get());
}

TEST(TlsTrust, SystemRootsVerifyOnlyTheTestAuthoritysValidChain) {
  ASSERT_TRUE(TrustTestAuthority());
  const std::unique_ptr<SSL_CTX, ContextFree> context(SSL_CTX_new(TLS_client_method()));
  ASSERT_TRUE(context);
  ASSERT_TRUE(AddPlatformRootCertificates(context.get()));
  const struct {
    ServerCase which;
    const char* host;
    bool address;
    int expected;
  } cases[] = {
      {ServerCase::kValid, "localhost", false, X509_V_OK},
      {ServerCase::kValid, "127.0.0.1", true, X509_V_OK},
      {ServerCase::kExpired, "localhost", false, X509_V_ERR_CERT_HAS_EXPIRED},
      {ServerCase::kOtherHost, "localhost", false, X509_V_ERR_HOSTNAME_MISMATCH},
      {ServerCase::kUnknownAuthority, "127.0.0.1", true, X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Verify(context.get(), c.which, c.host, c.address), c.expected)
        << "case " << static_cast<int>(c.which) << " for " << c.host;
  }
}

}  // namespace
