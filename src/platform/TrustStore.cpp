#include "platform/TrustStore.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>

namespace platform {

namespace {

// Loaded once: parsing the system's few hundred certificates for every letter would cost more than
// the letter's whole dialogue. Qt finds each of Debian's CAs twice (in the bundle and in its own
// file); every certificate makes each connection's TLS context slower to build, so each goes in once.
const QList<QSslCertificate>& systemCertificates()
{
    static const QList<QSslCertificate> certificates = [] {
        QList<QSslCertificate> unique;
        QSet<QByteArray> seen;
        for (const QSslCertificate& certificate : QSslConfiguration::systemCaCertificates()) {
            const QByteArray digest = certificate.digest(QCryptographicHash::Sha256);
            if (!seen.contains(digest)) {
                seen.insert(digest);
                unique.append(certificate);
            }
        }
        return unique;
    }();
    return certificates;
}

QList<QSslCertificate> fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    QList<QSslCertificate> certificates = QSslCertificate::fromData(data, QSsl::Pem);
    if (certificates.isEmpty())
        certificates = QSslCertificate::fromData(data, QSsl::Der);
    return certificates;
}

// What the environment names, with the size and time of each file and folder: a change of any of
// them loads the certificates again.
QString environmentKey(const QString& file, const QStringList& folders)
{
    auto stamp = [](const QString& path) -> QString {
        const QFileInfo info(path);
        return path + QLatin1Char('\x1f') + QString::number(info.size()) + QLatin1Char('\x1f')
            + QString::number(info.lastModified().toMSecsSinceEpoch());
    };
    QString key = stamp(file);
    for (const QString& folder : folders)
        key += QLatin1Char('\x1e') + stamp(folder);
    return key;
}

} // namespace

QList<QSslCertificate> TrustStore::fromEnvironment()
{
    const QString file = qEnvironmentVariable("SSL_CERT_FILE");
    const QStringList folders
        = qEnvironmentVariable("SSL_CERT_DIR").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (file.isEmpty() && folders.isEmpty())
        return {};

    // One send per letter: a folder of a few hundred files is read once per run, not once per letter.
    static QMutex mutex;
    static QString cachedKey;
    static QList<QSslCertificate> cached;
    const QString key = environmentKey(file, folders);
    const QMutexLocker locker(&mutex);
    if (key == cachedKey)
        return cached;

    QList<QSslCertificate> found;
    if (!file.isEmpty())
        found += fromFile(file);
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Readable, QDir::Name))
            found += fromFile(dir.filePath(name));
    }
    // The environment often names the system's own store (SSL_CERT_DIR=/etc/ssl/certs, its hash links
    // and its bundle): every duplicate would cost each connection's TLS context a slow insertion.
    QSet<QByteArray> known;
    for (const QSslCertificate& certificate : systemCertificates())
        known.insert(certificate.digest(QCryptographicHash::Sha256));
    QList<QSslCertificate> certificates;
    for (const QSslCertificate& certificate : std::as_const(found)) {
        const QByteArray digest = certificate.digest(QCryptographicHash::Sha256);
        if (!known.contains(digest)) {
            known.insert(digest);
            certificates.append(certificate);
        }
    }
    cachedKey = key;
    cached = certificates;
    return certificates;
}

void TrustStore::apply(QSslConfiguration& configuration, const QList<QSslCertificate>& extra)
{
    const QList<QSslCertificate> added = fromEnvironment() + extra;
    if (added.isEmpty())
        return; // Qt's own on-demand loading of the system's store, which is cheaper per connection
    // Setting any CA list turns Qt's on-demand loading off, so the system's store goes in explicitly.
    configuration.setCaCertificates(systemCertificates() + added);
}

} // namespace platform
