#include "services/update/tests/test_pki.h"

#ifdef _WIN32
#include "services/update/win_cert_store.h"
#else
#include <unistd.h>
#endif

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace test_pki {

void X509Free::operator()(X509* certificate) const noexcept { X509_free(certificate); }

namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const noexcept { EVP_PKEY_free(key); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
struct BioFree {
  void operator()(BIO* bio) const noexcept { BIO_free(bio); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;

// An Ed25519 key from fixed private bytes: the same key on every run.
KeyPtr FixedKey(unsigned char tag) {
  std::array<unsigned char, 32> secret{};
  for (std::size_t i = 0; i < secret.size(); ++i) secret[i] = static_cast<unsigned char>(tag * 37 + i * 11 + 1);
  return KeyPtr(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, secret.data(), secret.size()));
}

struct Fields {
  long serial;
  const char* commonName;
  const char* notBefore;
  const char* notAfter;
  const char* altNames;  // null for an authority
};

bool AddExtension(X509* subject, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, subject, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (extension == nullptr) return false;
  const bool added = X509_add_ext(subject, extension, -1) == 1;
  X509_EXTENSION_free(extension);
  return added;
}

// A certificate for key signed by issuer with issuerKey; self-signed when
// issuer is null.
X509Ptr MakeCertificate(const Fields& fields, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey) {
  X509Ptr made(X509_new());
  X509* x = made.get();
  if (x == nullptr || X509_set_version(x, 2) != 1 || ASN1_INTEGER_set(X509_get_serialNumber(x), fields.serial) != 1)
    return nullptr;
  X509_NAME* name = X509_get_subject_name(x);
  const auto* cn = reinterpret_cast<const unsigned char*>(fields.commonName);
  const auto* org = reinterpret_cast<const unsigned char*>("Veltrano tests");
  if (X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, org, -1, -1, 0) != 1 ||
      X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, cn, -1, -1, 0) != 1 ||
      X509_set_issuer_name(x, issuer != nullptr ? X509_get_subject_name(issuer) : name) != 1 ||
      ASN1_TIME_set_string_X509(X509_getm_notBefore(x), fields.notBefore) != 1 ||
      ASN1_TIME_set_string_X509(X509_getm_notAfter(x), fields.notAfter) != 1 || X509_set_pubkey(x, key) != 1) {
    return nullptr;
  }
  X509* signer = issuer != nullptr ? issuer : x;
  const bool extended =
      fields.altNames == nullptr
          ? AddExtension(x, signer, NID_basic_constraints, "critical,CA:TRUE") &&
                AddExtension(x, signer, NID_key_usage, "critical,keyCertSign,cRLSign") &&
                AddExtension(x, signer, NID_subject_key_identifier, "hash")
          : AddExtension(x, signer, NID_basic_constraints, "critical,CA:FALSE") &&
                AddExtension(x, signer, NID_key_usage, "critical,digitalSignature") &&
                AddExtension(x, signer, NID_ext_key_usage, "serverAuth") &&
                AddExtension(x, signer, NID_subject_alt_name, fields.altNames) &&
                AddExtension(x, signer, NID_authority_key_identifier, "keyid:always");
  // Ed25519 takes no digest.
  if (!extended || X509_sign(x, issuerKey, nullptr) <= 0) return nullptr;
  return made;
}

std::string MemoryText(BIO* bio) {
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  return size > 0 ? std::string(data, static_cast<std::size_t>(size)) : std::string();
}

std::string CertificatePem(X509* certificate) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || certificate == nullptr || PEM_write_bio_X509(bio.get(), certificate) != 1) return {};
  return MemoryText(bio.get());
}

std::string KeyPem(EVP_PKEY* key) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  if (!bio || key == nullptr || PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1)
    return {};
  return MemoryText(bio.get());
}

constexpr const char* kFrom = "20200101000000Z";
constexpr const char* kUntil = "20991231235959Z";
constexpr const char* kLocal = "DNS:localhost,IP:127.0.0.1";

struct Pki {
  std::string authority;
  std::array<Credentials, 4> servers;

  Pki() {
    const KeyPtr authorityKey = FixedKey(1);
    const KeyPtr strangerKey = FixedKey(2);
    if (!authorityKey || !strangerKey) return;
    const X509Ptr trusted =
        MakeCertificate({1, "Veltrano Test Authority", kFrom, kUntil, nullptr}, authorityKey.get(), nullptr,
                        authorityKey.get());
    // A name of its own: under the trusted authority's name the chain would
    // fail on the signature instead of on the missing issuer.
    const X509Ptr stranger = MakeCertificate({1, "Veltrano Unknown Authority", kFrom, kUntil, nullptr},
                                             strangerKey.get(), nullptr, strangerKey.get());
    authority = CertificatePem(trusted.get());
    const struct {
      ServerCase which;
      Fields fields;
      X509* issuer;
      EVP_PKEY* issuerKey;
    } table[] = {
        {ServerCase::kValid, {2, "localhost", kFrom, kUntil, kLocal}, trusted.get(), authorityKey.get()},
        {ServerCase::kExpired, {3, "localhost", kFrom, "20201231235959Z", kLocal}, trusted.get(), authorityKey.get()},
        {ServerCase::kOtherHost,
         {4, "other.example.invalid", kFrom, kUntil, "DNS:other.example.invalid"},
         trusted.get(),
         authorityKey.get()},
        {ServerCase::kUnknownAuthority, {2, "localhost", kFrom, kUntil, kLocal}, stranger.get(), strangerKey.get()},
    };
    for (const auto& row : table) {
      const KeyPtr key = FixedKey(static_cast<unsigned char>(10 + static_cast<int>(row.which)));
      if (!key || row.issuer == nullptr) continue;
      const X509Ptr certificate = MakeCertificate(row.fields, key.get(), row.issuer, row.issuerKey);
      servers[static_cast<std::size_t>(row.which)] = {CertificatePem(certificate.get()), KeyPem(key.get())};
    }
  }
};

const Pki& ThePki() {
  static const Pki pki;
  return pki;
}

}  // namespace

const std::string& AuthorityPem() { return ThePki().authority; }

const Credentials& Server(ServerCase which) { return ThePki().servers.at(static_cast<std::size_t>(which)); }

X509Ptr ReadCertificate(const std::string& pem) {
  BioPtr bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  if (!bio) return nullptr;
  return X509Ptr(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
}

bool WriteAuthorityFile(const std::string& path) {
  const std::string& pem = AuthorityPem();
  if (pem.empty()) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(pem.data(), 1, pem.size(), file) == pem.size();
  return std::fclose(file) == 0 && written;
}

bool TrustAuthority() {
#ifdef _WIN32
  return AddAuthorityToUserRootStore();
#else
  // Test programs running side by side write the same file: each writes a
  // copy of its own and moves it over the shared name, so that none reads a
  // file half written.
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return false;
  const std::filesystem::path path = folder / "veltrano_test_authority.pem";
  const std::filesystem::path copy = folder / ("veltrano_test_authority." + std::to_string(getpid()) + ".tmp");
  if (!WriteAuthorityFile(copy.string())) return false;
  std::filesystem::rename(copy, path, error);
  return !error && setenv("SSL_CERT_FILE", path.c_str(), 1) == 0;
#endif
}

#ifdef _WIN32
bool AddAuthorityToUserRootStore() {
  // Wine's ntdll says so; Windows' has no such export.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return false;
  const X509Ptr authority = ReadCertificate(AuthorityPem());
  unsigned char* der = nullptr;
  const int size = authority ? i2d_X509(authority.get(), &der) : -1;
  if (size <= 0) return false;
  const CCertStore root(CertOpenSystemStoreW(0, L"ROOT"));
  const bool added = root && CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, der,
                                                              static_cast<DWORD>(size), CERT_STORE_ADD_USE_EXISTING,
                                                              nullptr) != FALSE;
  OPENSSL_free(der);
  return added;
}
#endif

}  // namespace test_pki
