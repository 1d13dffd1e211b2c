#include "web/CatalogueLog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString CatalogueLog::defaultPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(data.isEmpty() ? QDir::homePath() : data).filePath(QStringLiteral("Tomaria/catalogo-in-rete.log"));
}

bool CatalogueLog::open(const QString& path, QString& error)
{
    m_file.close();
    m_file.setFileName(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        error = m_file.errorString();
        return false;
    }
    return true;
}

void CatalogueLog::write(const QString& text)
{
    if (!m_file.isOpen())
        return;
    if (m_file.size() > kMostBytes) {
        const QString name = m_file.fileName();
        m_file.close();
        QFile::remove(name + QStringLiteral(".1"));
        QFile::rename(name, name + QStringLiteral(".1"));
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            return;
    }
    QString line = QDateTime::currentDateTimeUtc().toString(Qt::ISODate) + u' ' + text;
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    m_file.write(line.toUtf8() + '\n');
    m_file.flush();
}
