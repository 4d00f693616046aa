#include "session/Engine.h"

#include "floor/Messages.h"
#include "platform/FileNames.h"
#include "platform/Sqlite.h"
#include "session/Session.h"

#include <QDir>

#include <pwd.h>
#include <unistd.h>

namespace qb {

namespace {

QString languageDriver()
{
    sql::Database db;
    if (!db.openMemory()) return {};
    sql::Statement st(db, QStringLiteral("SELECT sqlite_version()"));
    if (!st.next()) return {};
    return QStringLiteral("SQLite ") + st.textValue(0) + QStringLiteral(" UTF-8");
}

QString loginName()
{
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    QString name = qEnvironmentVariable("USER");
    return name.isEmpty() ? qEnvironmentVariable("LOGNAME") : name;
}

}  // namespace

QStringList EngineConfiguration()
{
    // SQLite has no shared mode, so the multi-user warning of the report never applies.
    return {QStringLiteral("Local Share: OFF"), QStringLiteral("Network Type: NONE"),
            QStringLiteral("User Name: ") + loginName(),
            QStringLiteral("Ini File: ") + QDir::toNativeSeparators(session().iniPath()),
            QStringLiteral("Language Driver: ") + languageDriver()};
}

bool EngineAvailable()
{
    if (languageDriver().isEmpty()) return false;
    files::writeTextFile(QDir::current().filePath(QStringLiteral("BDE_SysInfo.txt")),
                         EngineConfiguration().join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return true;
}

QString EngineReport()
{
    QString driver = languageDriver();
    return driver.isEmpty() ? QString()
                            : QStringLiteral("Current SQLite Language driver is ") + driver;
}

QString DatabaseLocationInfo(int horizontalScroll, int verticalScroll)
{
    return QStringLiteral("This QB.exe program (") + session().version() +
           QStringLiteral(" ) and its database runs in: ") +
           QDir::toNativeSeparators(session().dir()) + QStringLiteral(".  Desktop is at ") +
           QString::number(horizontalScroll) + QStringLiteral(" / ") +
           QString::number(verticalScroll) + QStringLiteral("\r\n") + EngineReport();
}

void ShowDatabaseLocationInfo(int horizontalScroll, int verticalScroll)
{
    ShowInfo(DatabaseLocationInfo(horizontalScroll, verticalScroll), QStringLiteral("qb5566"),
             kInformation, 75010);
}

void ShowDatabaseLocationInfo()
{
    QPoint scroll = session().hooks.scroll();
    ShowDatabaseLocationInfo(scroll.x(), scroll.y());
}

}  // namespace qb
