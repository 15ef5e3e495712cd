// Certificates for the TLS tests, made in memory with OpenSSL: a test
// authority, and server certificates with their keys for "localhost" and
// 127.0.0.1. Keys are Ed25519 from fixed seeds and every field is fixed, so
// every run makes the same bytes: the authority added to a test prefix's root
// store stays one entry however often the tests run.
#pragma once

#include <memory>
#include <string>

// Declared here rather than through OpenSSL's headers, so that a Windows
// source can include <wincrypt.h> before them.
struct x509_st;
typedef struct x509_st X509;

namespace test_pki {

enum class ServerCase {
  kValid,             // signed by the test authority, valid until 2099
  kExpired,           // signed by the test authority, valid in 2020 only
  kOtherHost,         // signed by the test authority, for another host
  kUnknownAuthority,  // "localhost", signed by an authority nobody trusts
};

struct Credentials {
  std::string certificatePem;
  std::string keyPem;
};

// The test authority's certificate, PEM.
[[nodiscard]] const std::string& AuthorityPem();
[[nodiscard]] const Credentials& Server(ServerCase which);

struct X509Free {
  void operator()(X509* certificate) const noexcept;
};
using X509Ptr = std::unique_ptr<X509, X509Free>;
[[nodiscard]] X509Ptr ReadCertificate(const std::string& pem);

// Writes the authority's certificate as a PEM file (for SSL_CERT_FILE).
[[nodiscard]] bool WriteAuthorityFile(const std::string& path);

#ifdef _WIN32
// Adds the authority to the current user's ROOT system store. Refuses, with
// false, outside Wine: only a test prefix may ever trust it.
[[nodiscard]] bool AddAuthorityToUserRootStore();
#endif

}  // namespace test_pki
