#include "shell/HelpWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/FileNames.h"
#include "session/Session.h"

namespace qb {

namespace {
// The help windows of the run; those still open when a run ends in a live application go with it.
struct HelpWindows {
    QList<QPointer<HelpWindow>> windows;
    ~HelpWindows()
    {
        if (!QCoreApplication::instance()) return;
        for (const QPointer<HelpWindow>& w : windows) delete w.data();
    }
};

QList<QPointer<HelpWindow>>& openWindows() { return session().part<HelpWindows>().windows; }
}  // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Quillbox Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(620, 520);
}

QString HelpWindow::helpFile() { return files::shareDir() + QStringLiteral("/help/index.html"); }

void HelpWindow::openAnchor(const QString& anchor)
{
    const QString file = helpFile();
    if (!QFileInfo::exists(file)) {
        browser_->setHtml(QStringLiteral("<p>The help pages were not found in %1.</p>")
                              .arg(file.toHtmlEscaped()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(file);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    browser_->setSource(url);
    if (!anchor.isEmpty()) browser_->scrollToAnchor(anchor);
}

HelpWindow* HelpWindow::showTopic(const QString& anchor)
{
    QWidget* owner = QApplication::activeModalWidget();
    HelpWindow* window = nullptr;
    for (const QPointer<HelpWindow>& w : openWindows())
        if (w && w->parentWidget() == owner) window = w;
    if (!window) {
        window = new HelpWindow(owner);
        openWindows().append(window);
    }
    window->openAnchor(anchor);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void HelpWindow::closeAll()
{
    for (const QPointer<HelpWindow>& w : openWindows())
        if (w) w->close();
    openWindows().clear();
}

int HelpWindow::focusedTopic()
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        bool ok = false;
        int topic = w->property("qbHelpTopic").toInt(&ok);
        if (ok && topic > 0) return topic;
    }
    return 0;
}

}  // namespace qb
