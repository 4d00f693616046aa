#include "interchange/NotesCommands.h"

#include "floor/Messages.h"
#include "interchange/MarkdownNotes.h"
#include "platform/Clock.h"
#include "platform/FileNames.h"
#include "session/Session.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QProgressDialog>

namespace qb {

namespace {

constexpr int kShownLines = 15;

// A progress dialog fed by the notes' progress calls; Cancel stops the run.
class Progress {
public:
    Progress(QWidget* parent, const QString& label)
        : dialog_(label, QStringLiteral("Cancel"), 0, 0, parent)
    {
        dialog_.setWindowTitle(QStringLiteral("Notes"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(300);
    }
    NotesProgress callback()
    {
        return [this](int done, int total) {
            if (dialog_.maximum() != total) dialog_.setMaximum(total);
            dialog_.setValue(done);
            return !dialog_.wasCanceled();
        };
    }

private:
    QProgressDialog dialog_;
};

QString storeDir()
{
    QString dir = session().store.dir();
    return dir.isEmpty() ? session().dir() : dir;
}

}  // namespace

void ExportNotesClick(QWidget* parent, const QString& folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QFileDialog::getExistingDirectory(parent, QStringLiteral("Export Notes as Markdown"));
    if (dir.isEmpty()) return;
    // Files already in the folder are never replaced: the notes go into a new folder beside them.
    if (!QDir(dir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        dir = QDir(dir).filePath(
            QStringLiteral("quillbox-notes-") +
            session().clock().now().toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
    session().hooks.commit();
    NotesExportResult result;
    {
        Progress progress(parent, QStringLiteral("Writing notes into %1").arg(dir));
        result = ExportNotes(dir, progress.callback());
    }
    if (!result.ok)
        PlainMessage(QStringLiteral("The notes were not all written: ") + result.error);
    else
        PlainMessage(QStringLiteral("%1 notes and %2 project listings written into %3")
                         .arg(result.notes)
                         .arg(result.projects)
                         .arg(QDir::toNativeSeparators(dir)) +
                     (result.pictures > 0
                          ? QStringLiteral("\n%1 pictures stay in the store only: notes hold "
                                           "text")
                                .arg(result.pictures)
                          : QString()));
}

void ImportNotesClick(QWidget* parent, const QString& folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QFileDialog::getExistingDirectory(parent, QStringLiteral("Import Notes"));
    if (dir.isEmpty()) return;
    session().hooks.commit();
    NotesImportResult result;
    {
        Progress progress(parent, QStringLiteral("Reading notes from %1").arg(dir));
        result = ImportNotes(dir, progress.callback());
    }
    const QString report = NotesImportReport(result);
    const QString reportPath = QDir(storeDir()).filePath(QStringLiteral("notesimport.txt"));
    const bool kept = files::writeTextFile(reportPath, report);
    QString text = QStringLiteral("%1 notes added, %2 updated, %3 project listings\n")
                       .arg(result.added.size())
                       .arg(result.updated.size())
                       .arg(result.projects.size());
    if (!result.ok) text += result.error + QLatin1Char('\n');
    if (!result.refused.isEmpty()) {
        text += QStringLiteral("\nRefused:\n");
        for (const QString& line : result.refused.mid(0, kShownLines)) text += line + '\n';
        if (result.refused.size() > kShownLines)
            text += QStringLiteral("... and %1 more\n").arg(result.refused.size() - kShownLines);
    }
    if (kept) text += QStringLiteral("\nThe whole report: ") + QDir::toNativeSeparators(reportPath);
    PlainMessage(text);
}

}  // namespace qb
