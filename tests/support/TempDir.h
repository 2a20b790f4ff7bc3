#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh folder for one test, removed with it.
class TempDir {
public:
    TempDir();
    const QString& path() const { return m_path; }
    QString file(const QString& name) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};
