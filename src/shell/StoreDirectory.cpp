#include "shell/StoreDirectory.h"

#include "platform/FileNames.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qb {

QString ChooseStoreDirectory(const QString& fromCommandLine)
{
    if (!fromCommandLine.isEmpty()) return QDir(fromCommandLine).absolutePath();
    QString env = qEnvironmentVariable("QUILLBOX_DIR");
    if (!env.isEmpty()) return QDir(env).absolutePath();
    return QDir::home().filePath(QStringLiteral("Quillbox"));
}

StoreDirectoryState PrepareStoreDirectory(const QString& dir, QString* error)
{
    QDir d(dir);
    if (d.exists() && files::exists(dir, QStringLiteral("ITEM.DB")))
        return StoreDirectoryState::Ready;
    bool empty = !d.exists() ||
                 d.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
    if (!empty) return StoreDirectoryState::DataMissing;
    if (!QDir().mkpath(dir)) {
        if (error) *error = QStringLiteral("Cannot create the store directory ") + dir;
        return StoreDirectoryState::Failed;
    }
    if (!schema::createEmptyStore(dir, error)) return StoreDirectoryState::Failed;
    CopyCompanionFiles(dir);
    return StoreDirectoryState::Fresh;
}

void CopyCompanionFiles(const QString& dir)
{
    const QString share = files::shareDir();
    for (const char* name : {"cleandata.zip", "empty.wav"}) {
        QString target = files::resolve(dir, QString::fromLatin1(name));
        QString source = share + QLatin1Char('/') + QString::fromLatin1(name);
        if (!QFileInfo::exists(target) && QFileInfo::exists(source)) QFile::copy(source, target);
    }
}

bool DirectoryPathTooLong(const QString& dirWithSeparator)
{
    return (dirWithSeparator + QStringLiteral("12345678.abc")).size() >= 78;
}

}  // namespace qb
