#include "tests/support/test_certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace kestrune_test {
namespace {

template <auto Free>
struct Deleter {
  template <typename T>
  void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using Cert = std::unique_ptr<X509, Deleter<X509_free>>;
using Bio = std::unique_ptr<BIO, Deleter<BIO_free>>;

bool addExtension(X509* cert, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (ext == nullptr) return false;
  bool ok = X509_add_ext(cert, ext, -1) == 1;
  X509_EXTENSION_free(ext);
  return ok;
}

std::string bioText(BIO* bio) {
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

}  // namespace

TestCertificate makeCertificate(CertificateKind kind) {
  Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  Cert cert(X509_new());
  if (!key || !cert) return {};
  const bool wrongHost = kind == CertificateKind::WrongHost;
  const char* commonName = wrongHost ? "wrong.example" : "localhost";
  const char* altNames =
      wrongHost ? "DNS:wrong.example" : "DNS:localhost,IP:127.0.0.1,IP:::1";

  static long serial = 1;
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
  const long day = 24 * 60 * 60;
  if (kind == CertificateKind::Expired) {
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -30 * day);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), -1 * day);
  } else {
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -1 * day);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 30 * day);
  }
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509_set_issuer_name(cert.get(), name);
  X509_set_pubkey(cert.get(), key.get());
  bool ok = addExtension(cert.get(), NID_subject_alt_name, altNames) &&
            addExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE") &&
            addExtension(cert.get(), NID_ext_key_usage,
                         kind == CertificateKind::WrongUsage ? "clientAuth" : "serverAuth");
  if (!ok || X509_sign(cert.get(), key.get(), EVP_sha256()) == 0) return {};

  Bio certBio(BIO_new(BIO_s_mem())), keyBio(BIO_new(BIO_s_mem()));
  if (!certBio || !keyBio || PEM_write_bio_X509(certBio.get(), cert.get()) != 1 ||
      PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
    return {};
  return {bioText(certBio.get()), bioText(keyBio.get())};
}

}  // namespace kestrune_test
