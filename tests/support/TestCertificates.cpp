#include "TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <stdexcept>

namespace {

constexpr int opensslLimitMs = 30000;

void openssl(const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(opensslLimitMs)) {
        process.kill();
        process.waitForFinished(opensslLimitMs);
        throw std::runtime_error(
            "TestCertificates: openssl did not finish: " + arguments.join(u' ').toStdString());
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        throw std::runtime_error("TestCertificates: openssl " + arguments.join(u' ').toStdString()
            + " failed:\n" + process.readAll().toStdString());
}

QStringList ecKey()
{
    return {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
        QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
}

// A certificate for subjectAltName, signed by the CA in folder.
void signedCertificate(
    const QString& folder, const QString& name, const QString& commonName, const QString& altNames)
{
    openssl(QStringList {QStringLiteral("req"), QStringLiteral("-new")} + ecKey()
            + QStringList {QStringLiteral("-subj"), QStringLiteral("/CN=") + commonName,
                QStringLiteral("-keyout"), name + QStringLiteral(".key"), QStringLiteral("-out"),
                name + QStringLiteral(".csr")},
        folder);
    QFile extensions(folder + QLatin1Char('/') + name + QStringLiteral(".ext"));
    if (!extensions.open(QIODevice::WriteOnly))
        throw std::runtime_error("TestCertificates: cannot write the extensions file");
    extensions.write("basicConstraints=critical,CA:FALSE\n"
                     "keyUsage=critical,digitalSignature\n"
                     "extendedKeyUsage=serverAuth\n"
                     "subjectAltName="
        + altNames.toLatin1() + "\n");
    extensions.close();
    openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                name + QStringLiteral(".csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-extfile"),
                name + QStringLiteral(".ext"), QStringLiteral("-out"), name + QStringLiteral(".pem")},
        folder);
}

} // namespace

TestCertificates::TestCertificates()
    : m_dir(QDir::tempPath() + QStringLiteral("/remetron-certs-XXXXXX"))
{
    if (!m_dir.isValid())
        throw std::runtime_error("TestCertificates: no temporary folder");
    const QString folder = m_dir.path();
    openssl(QStringList {QStringLiteral("req"), QStringLiteral("-x509")} + ecKey()
            + QStringList {QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-subj"),
                QStringLiteral("/CN=Remetron Test CA"), QStringLiteral("-addext"),
                QStringLiteral("basicConstraints=critical,CA:TRUE"), QStringLiteral("-addext"),
                QStringLiteral("keyUsage=critical,keyCertSign,cRLSign"), QStringLiteral("-keyout"),
                QStringLiteral("ca.key"), QStringLiteral("-out"), QStringLiteral("ca.pem")},
        folder);
    signedCertificate(folder, QStringLiteral("server"), QStringLiteral("localhost"),
        QStringLiteral("DNS:localhost,IP:127.0.0.1"));
    signedCertificate(folder, QStringLiteral("wronghost"), QStringLiteral("mail.elsewhere.test"),
        QStringLiteral("DNS:mail.elsewhere.test"));
    openssl(QStringList {QStringLiteral("req"), QStringLiteral("-x509")} + ecKey()
            + QStringList {QStringLiteral("-days"), QStringLiteral("30"), QStringLiteral("-subj"),
                QStringLiteral("/CN=localhost"), QStringLiteral("-addext"),
                QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1"), QStringLiteral("-keyout"),
                QStringLiteral("selfsigned.key"), QStringLiteral("-out"), QStringLiteral("selfsigned.pem")},
        folder);
    // A folder as OpenSSL expects one: the certificate and a link named after its subject's hash.
    QDir().mkpath(caFolder());
    if (!QFile::copy(caFile(), path(QStringLiteral("cadir/ca.pem"))))
        throw std::runtime_error("TestCertificates: cannot fill the CA folder");
    openssl({QStringLiteral("rehash"), caFolder()}, folder);
}

const TestCertificates& TestCertificates::shared()
{
    static const TestCertificates certificates;
    return certificates;
}

QString TestCertificates::path(const QString& name) const
{
    return m_dir.path() + QLatin1Char('/') + name;
}

QString TestCertificates::caFile() const
{
    return path(QStringLiteral("ca.pem"));
}

QString TestCertificates::caFolder() const
{
    return path(QStringLiteral("cadir"));
}

QList<QSslCertificate> TestCertificates::caCertificates() const
{
    return QSslCertificate::fromPath(caFile(), QSsl::Pem);
}

TestCertificates::KeyPair TestCertificates::server() const
{
    return {path(QStringLiteral("server.pem")), path(QStringLiteral("server.key"))};
}

TestCertificates::KeyPair TestCertificates::wrongHost() const
{
    return {path(QStringLiteral("wronghost.pem")), path(QStringLiteral("wronghost.key"))};
}

TestCertificates::KeyPair TestCertificates::selfSigned() const
{
    return {path(QStringLiteral("selfsigned.pem")), path(QStringLiteral("selfsigned.key"))};
}
