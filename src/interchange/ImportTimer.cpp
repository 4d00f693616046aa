#include "interchange/ImportTimer.h"

#include "floor/Messages.h"
#include "interchange/XmlImport.h"
#include "platform/FileNames.h"
#include "session/Session.h"

#include <QDir>
#include <QFile>

namespace qb {

namespace {

// File names are matched without regard to case.
QString firstXmlFile(const QString& dir)
{
    for (const QString& name : QDir(dir).entryList(QDir::Files, QDir::Name))
        if (name.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive)) return name;
    return QString();
}

// The file is taken away under another name before it is read, so lines a capture appends
// meanwhile go into a new file instead of being emptied away unread.
bool takeAnnotations(const QString& dir, bool* present, QString* lines)
{
    const QString taken = QDir(dir).filePath(QStringLiteral("qbimport.txt.taken"));
    if (!QFileInfo::exists(taken)) {
        const QString path = files::resolve(dir, QStringLiteral("qbimport.txt"));
        if (!QFileInfo::exists(path)) {
            *present = false;
            return true;
        }
        if (!QFile::rename(path, taken)) return false;
    }
    *present = true;
    if (!files::readTextFile(taken, lines)) return false;
    // The emptied file stays, as the window's exit writes back into it.
    QFile empty(QDir(dir).filePath(QStringLiteral("qbimport.txt")));
    if (!empty.exists() && !empty.open(QIODevice::WriteOnly)) return false;
    return QFile::remove(taken);
}

}  // namespace

ImportTimerState& importTimerState() { return session().part<ImportTimerState>(); }

int ImportTimerTick(const ImportedTextSink& sink)
{
    ImportTimerState& state = importTimerState();
    Session& s = session();
    bool imported = false;
    const QString xml = firstXmlFile(s.dir());
    if (!xml.isEmpty()) {
        s.hooks.banner(QStringLiteral("Importing XML data"));
        ImportXmlFile(QDir(s.dir()).filePath(xml));
        s.hooks.noBanner();
        imported = true;
        state.interval = ImportTimerState::kBusyInterval;
    }
    if (state.annotationsOff || !sink) return state.interval;
    bool present = false;
    QString lines;
    if (!takeAnnotations(s.dir(), &present, &lines)) {
        LogProblem(QStringLiteral("Error in QBIMPORT.txt treatment"));
        state.annotationsOff = true;
        return state.interval;
    }
    if (present && sink(lines))
        state.interval = ImportTimerState::kBusyInterval;
    else if (!imported)
        state.interval = ImportTimerState::kIdleInterval;
    return state.interval;
}

}  // namespace qb
