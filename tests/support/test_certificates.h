// Server certificates made at run time with OpenSSL, for HTTPS tests.
#pragma once

#include <string>

namespace kestrune_test {

enum class CertificateKind {
  SelfSigned,   // for localhost, 127.0.0.1 and ::1; signed by itself (an unknown CA)
  WrongHost,    // self-signed, names only wrong.example
  Expired,      // self-signed for 127.0.0.1, valid until yesterday
  WrongUsage,   // self-signed for 127.0.0.1, extended key usage client authentication only
};

struct TestCertificate {
  std::string certificatePem;
  std::string privateKeyPem;
};

// A fresh EC P-256 key and certificate; empty strings if OpenSSL fails.
TestCertificate makeCertificate(CertificateKind kind);

}  // namespace kestrune_test
