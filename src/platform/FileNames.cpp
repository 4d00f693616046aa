#include "platform/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qb::files {

QString resolve(const QString& dir, const QString& name)
{
    QDir d(dir);
    QString direct = d.filePath(name);
    if (QFileInfo::exists(direct)) return direct;
    const QStringList entries = d.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return d.filePath(entry);
    return direct;
}

bool exists(const QString& dir, const QString& name) { return QFileInfo::exists(resolve(dir, name)); }

bool removeIfPresent(const QString& dir, const QString& name)
{
    QString path = resolve(dir, name);
    if (!QFileInfo::exists(path)) return true;
    return QFile::remove(path);
}

bool writeBytesFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    file.write(bytes);
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

bool writeTextFile(const QString& path, const QString& text, QString* error)
{
    return writeBytesFile(path, text.toUtf8(), error);
}

bool readTextFile(const QString& path, QString* text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QString t = QString::fromUtf8(file.readAll());
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    *text = t;
    return true;
}

QString shareDir()
{
    static const QString cached = [] {
        QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                      : QDir::currentPath();
        const QStringList candidates = {
            exeDir + QStringLiteral("/../share/quillbox"),
            exeDir + QStringLiteral("/share/quillbox"),
            exeDir + QStringLiteral("/../../share/quillbox"),
            exeDir + QStringLiteral("/../../../share/quillbox"),
            QStringLiteral(QUILLBOX_SHARE_DIR_FALLBACK),
        };
        for (const QString& c : candidates)
            if (QFileInfo::exists(c + QStringLiteral("/cleandata.zip")) ||
                QFileInfo::exists(c + QStringLiteral("/help")))
                return QDir(c).absolutePath();
        return QDir(candidates.last()).absolutePath();
    }();
    return cached;
}

QString withSeparator(const QString& dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

}  // namespace qb::files
