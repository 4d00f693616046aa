// Shows the program's dialogs one by one, each as it first opens, and saves a picture of each:
//   dialog_shots OUTPUT_DIR
// Run it once plainly and once with QT_SCALE_FACTOR=2 to see what a larger scale cuts.
#include "backup/SelectDirDialog.h"
#include "dictionary/DeleteWordDialog.h"
#include "dictionary/LocateDialog.h"
#include "dictionary/NewWordDialog.h"
#include "items/ImageUpdateDialog.h"
#include "projects/BrowserSetup.h"
#include "projects/ProjectDialogs.h"
#include "search/FindWordDialog.h"
#include "session/Session.h"
#include "shell/AboutDialog.h"
#include "shell/InformationWindow.h"
#include "store/Schema.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace qb;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QTemporaryDir store;
    Session& s = session();
    s.setDir(store.path());
    QString error;
    if (!schema::createEmptyStore(store.path(), &error) || !s.store.open(store.path(), &error)) {
        qWarning("%s", qPrintable(error));
        return 1;
    }
    WordEdit edit;
    edit.wordNo = 7;
    edit.oldText = QStringLiteral("garden");
    edit.caption = QStringLiteral("CONFIRM WORD DELETE");
    ProjectRecord project{QStringLiteral("KITCHEN GARDEN"), -45100, QStringLiteral("notes.txt"),
                          QStringLiteral("NONE")};

    const std::vector<std::pair<const char*, std::function<QDialog*()>>> dialogs = {
        {"project-delete",
         [] { return new TDeleteProjFrm(QStringLiteral("KITCHEN GARDEN"), nullptr, nullptr); }},
        {"project-new", [] { return new TNewProj(QStringLiteral("NONE"), nullptr); }},
        {"project-update", [&] { return new TUpd_Project(project, nullptr); }},
        {"project-category", [] { return new TTagSelect(false, nullptr); }},
        {"project-find", [] { return new TFind_Project(nullptr); }},
        {"browser-setup", [] { return new TfrmSetBrowser(nullptr); }},
        {"find-word", [] { return new TFind_Word(nullptr); }},
        {"information", [] { return new InformationWindow(nullptr); }},
        {"about", [] { return new AboutDialog(nullptr); }},
        {"image-update", [] { return new ImageUpdateDialog(nullptr); }},
        {"locate", [] { return new TLocateInList(nullptr); }},
        {"word-delete",
         [&] { return new TDeleteWordFrm(TDeleteWordFrm::Mode::Delete, edit, nullptr); }},
        {"word-new", [] { return new TNewWord(QStringLiteral("garden"), nullptr); }},
        {"restore-select", [] { return new TSelectDir(RestoreMode::Restore, nullptr); }},
    };
    for (const auto& [name, make] : dialogs) {
        std::unique_ptr<QDialog> dialog(make());
        dialog->show();
        for (int i = 0; i < 5; ++i) app.processEvents();
        dialog->grab().save(QDir(out).filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
        dialog->hide();
    }
    s.store.close();
    return 0;
}
