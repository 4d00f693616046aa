#include "shell/HelpWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "floor/HelpTopic.h"
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
    QWidget* start = QApplication::focusWidget();
    if (!start) start = QApplication::activeModalWidget();
    if (!start) start = QApplication::activeWindow();
    for (QWidget* w = start; w; w = w->parentWidget()) {
        bool ok = false;
        int topic = w->property(kHelpTopicProperty).toInt(&ok);
        if (ok && topic > 0) return topic;
    }
    return 0;
}

void HelpWindow::showFocusedTopic()
{
    const int topic = focusedTopic();
    showTopic(topic > 0 ? QString::number(topic) : QStringLiteral("contents"));
}

namespace {
class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier) return false;
        // A key press passes the focused widget's parents too; it is taken once.
        QWidget* focus = QApplication::focusWidget();
        if (focus ? watched != focus : !static_cast<QWidget*>(watched)->isWindow()) return false;
        HelpWindow::showFocusedTopic();
        return true;
    }
};
}  // namespace

void HelpWindow::installHelpKey()
{
    static QPointer<HelpKeyFilter> filter;
    if (filter || !qApp) return;
    filter = new HelpKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

}  // namespace qb
