#pragma once

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QTemporaryDir>

// Certificates made at test time with openssl, in a private folder: a private CA, and signed by it one
// certificate for "localhost" and 127.0.0.1 and one for another host name; besides them a self-signed
// certificate for "localhost" that nothing trusts. Keys are EC P-256 (quick to make).
//
// The constructor throws std::runtime_error when openssl fails or takes longer than its limit.
class TestCertificates {
public:
    struct KeyPair {
        QString certificate; // PEM file
        QString key; // PEM file, unencrypted
    };

    TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    // One set per process, made on first use.
    static const TestCertificates& shared();

    // The CA's certificate, as a bundle for SSL_CERT_FILE.
    QString caFile() const;
    // A folder holding only the CA's certificate, for SSL_CERT_DIR.
    QString caFolder() const;
    QList<QSslCertificate> caCertificates() const;

    // Signed by the CA, for localhost and 127.0.0.1.
    KeyPair server() const;
    // Signed by the CA, for mail.elsewhere.test only.
    KeyPair wrongHost() const;
    // Self-signed, for localhost and 127.0.0.1.
    KeyPair selfSigned() const;

private:
    QString path(const QString& name) const;

    QTemporaryDir m_dir;
};
