#include "shell/Startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "floor/Messages.h"
#include "platform/Dates.h"
#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

namespace qb {

namespace {
const QString kInformationSection = QStringLiteral("INFORMATION");
}

bool SqliteEngineAvailable()
{
    sql::Database db;
    return db.openMemory();
}

EntryCheck CheckProgramEntry(const QString& dir)
{
    EntryCheck check;
    if (DirectoryPathTooLong(files::withSeparator(dir))) {
        check.message = QStringLiteral("Directory path too long: ") + dir;
        return check;
    }
    if (!SqliteEngineAvailable()) {
        check.message = QStringLiteral("SQLite database engine not found");
        return check;
    }
    QString error;
    check.state = PrepareStoreDirectory(dir, &error);
    switch (check.state) {
    case StoreDirectoryState::Ready:
    case StoreDirectoryState::Fresh: check.ok = true; break;
    case StoreDirectoryState::DataMissing:
        check.message = QStringLiteral("Data base missing");
        break;
    case StoreDirectoryState::Failed:
        check.message = QStringLiteral("A fresh store could not be made in ") + dir +
                        QStringLiteral("\r\n") + error;
        break;
    }
    return check;
}

StoreFolders CreateStoreFolders(const QString& dir)
{
    StoreFolders f;
    QDir d(dir);
    auto make = [&](const QString& name) {
        QString path = files::resolve(dir, name);
        d.mkpath(path);  // a failure shows up later, where the folder is used
        return path;
    };
    f.outlines = make(QStringLiteral("outl"));
    f.outlineOutput = make(QStringLiteral("outltxt"));
    f.projects = make(QStringLiteral("projects"));
    return f;
}

QStringList InformationFileNames()
{
    return {QStringLiteral("QBbeta_mods-history.txt"), QStringLiteral("QB_Program_Fixes.txt"),
            QStringLiteral("QB_info_1.txt"), QStringLiteral("QB_info_2.txt"),
            QStringLiteral("QB_info_3.txt")};
}

InformationFile InformationFileOf(const QString& dir, const QString& name)
{
    InformationFile f;
    f.path = files::resolve(dir, name);
    f.key = QFileInfo(name).completeBaseName();
    QFileInfo info(f.path);
    if (info.isFile()) {
        const Settings& s = session().settings;
        f.stamp = dates::shortDateTime(info.lastModified(), s.dateFormat, s.dateSeparator);
    }
    return f;
}

std::vector<InformationFile> ChangedInformationFiles(const QString& dir, const IniFile& ini)
{
    std::vector<InformationFile> changed;
    for (const QString& name : InformationFileNames()) {
        InformationFile f = InformationFileOf(dir, name);
        if (f.stamp.isEmpty()) continue;
        if (ini.readString(kInformationSection, f.key, QString()) != f.stamp) changed.push_back(f);
    }
    return changed;
}

bool MarkInformationShown(const QString& iniPath, const InformationFile& file)
{
    return IniFile::writeStringOnce(iniPath, kInformationSection, file.key, file.stamp);
}

QString SafetyStopText()
{
    const char* lines[] = {
        "An unusual error was detected and as a safety  ",
        "precaution the program has decided ",
        "to stop this session. ",
        "Therefore you must now exit and restart ",
        "the program. ",
        "If problems should remain, please add ",
        "required details (like missing keywords or text in items),  ",
        "or else delete such cards that are marked for action or ",
        "otherwise appear to be faulty. (Save data to clipboard). ",
        "On other problems: Run Clear all data and restart several times.",
        "Lack of resources message: Set MachineIndex low in QB.ini file",
    };
    QString text;
    for (const char* line : lines) text += QString::fromLatin1(line) + QStringLiteral("\r\n");
    return text;
}

}  // namespace qb
