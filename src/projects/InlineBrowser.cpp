#include "projects/InlineBrowser.h"

#include "floor/Messages.h"
#include "projects/Links.h"
#include "projects/ProjectRecords.h"
#include "session/Session.h"

#include <QFileInfo>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kStatusWidth = 50;

bool handToBrowser(const QString& address)
{
    const bool started = session().shell.openUrl && session().shell.openUrl(address);
    if (!started)
        ShowInfo(QString::fromLatin1(links::kNothingStarted), QStringLiteral("p676"), kError,
                 projectmessages::kHelp);
    return started;
}

QString localPath(const QString& address)
{
    if (address.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive))
        return QUrl(address).toLocalFile();
    return address;
}

}  // namespace

QString TInlineBrowserForm::startPage()
{
    return QStringLiteral(
        "<html><body><h3>Quillbox project browser</h3>"
        "<p>The project's file or page shows here. Files and HTML pages on this computer open "
        "in place; a web address is a link that opens in the web browser set up under "
        "Installation, &quot;Browser Setup&quot;.</p></body></html>");
}

TInlineBrowserForm::TInlineBrowserForm(QWidget* parent)
    : QWidget(parent),
      caption_(new QLabel(this)),
      view_(new QTextBrowser(this)),
      status_(new QLabel(this))
{
    setObjectName(QStringLiteral("inlineBrowser"));
    setWindowTitle(QStringLiteral("Web Browser"));
    setAutoFillBackground(true);
    caption_->setObjectName(QStringLiteral("browserCaption"));
    view_->setObjectName(QStringLiteral("projectBrowser"));
    view_->setOpenLinks(false);
    status_->setObjectName(QStringLiteral("browserStatus"));
    status_->setMinimumWidth(kStatusWidth);
    status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    connect(view_, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { linkClicked(url); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption_);
    layout->addWidget(view_, 1);
    layout->addWidget(status_);
    resize(310, 353);
    view_->setHtml(startPage());
}

void TInlineBrowserForm::setAddress(const QString& project, const QString& address)
{
    caption_->setText(project);
    view_->setDocumentTitle(project);
    address_ = address.trimmed();
}

void TInlineBrowserForm::FindAddress()
{
    status_->setText(address_);
    if (address_.isEmpty()) {
        view_->setHtml(startPage());
        return;
    }
    // Paths here have no backslash, so a page on this computer passes the web address test too:
    // a file that is there is shown in place.
    const QString local = localPath(address_);
    if (!local.contains(QStringLiteral("://")) && QFileInfo(local).isFile()) {
        view_->setSource(QUrl::fromLocalFile(local));
        return;
    }
    if (IsWebAddress(address_)) {
        // No web engine here: the page opens in the web browser, and stays a link in here.
        const QString escaped = address_.toHtmlEscaped();
        view_->setHtml(QStringLiteral("<p><b>%1</b></p><p><a href=\"%2\">%2</a></p>")
                           .arg(caption_->text().toHtmlEscaped(), escaped));
        handToBrowser(EncodeUrlTail(address_));
        return;
    }
    view_->setPlainText(caption_->text() + QStringLiteral("\n") + address_);
}

void TInlineBrowserForm::Stop() { view_->clear(); }

void TInlineBrowserForm::linkClicked(const QUrl& url)
{
    const QUrl target = url.isRelative() ? view_->source().resolved(url) : url;
    if (target.isLocalFile() && QFileInfo(target.toLocalFile()).isFile()) {
        view_->setSource(target);
        status_->setText(target.toLocalFile());
        return;
    }
    handToBrowser(url.toString());
}

}  // namespace qb
