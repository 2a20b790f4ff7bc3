#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>

namespace platform {

// The certificate authorities a TLS connection to a mail server trusts.
class TrustStore {
public:
    // Leaves configuration on the system's store (the folders Qt searches, where update-ca-certificates
    // puts a private CA) and adds, like any OpenSSL client, the bundle named by SSL_CERT_FILE and the
    // certificates in the folders named by SSL_CERT_DIR (separated by ":"), when set, and extra. Qt's
    // socket reads neither variable itself. Unreadable files add nothing; the check then fails with
    // its own reason.
    static void apply(QSslConfiguration& configuration, const QList<QSslCertificate>& extra = {});

    // The certificates that apply() adds to the system's from the environment: those of SSL_CERT_FILE
    // and SSL_CERT_DIR that the system's store lacks. Read again only when a file or folder named
    // there changes.
    static QList<QSslCertificate> fromEnvironment();
};

} // namespace platform
