#include "TempDir.h"

#include <QDir>

TempDir::TempDir()
    : m_dir(QDir::tempPath() + QStringLiteral("/remetron-test-XXXXXX"))
    , m_path(m_dir.path())
{
}

QString TempDir::file(const QString& name) const
{
    return m_path + QLatin1Char('/') + name;
}
