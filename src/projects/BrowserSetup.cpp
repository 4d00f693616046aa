#include "projects/BrowserSetup.h"

#include "floor/Messages.h"
#include "floor/Settings.h"
#include "platform/IniFile.h"
#include "projects/ProjectRecords.h"
#include "session/ExternalPrograms.h"
#include "session/Session.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qb {

namespace {

const QString kHelperApps = QStringLiteral("HELPER APPS");

QPushButton* button(const QString& caption, QWidget* parent, const char* objectName)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    return b;
}

}  // namespace

TfrmSetBrowser::TfrmSetBrowser(QWidget* parent)
    : QDialog(parent),
      path_(new QLineEdit(this)),
      netscape_(new QRadioButton(QStringLiteral("Netscape"), this)),
      explorer_(new QRadioButton(QStringLiteral("Internet Explorer"), this))
{
    setObjectName(QStringLiteral("browserSetup"));
    setWindowTitle(QStringLiteral("SELECT WEB BROWSER"));
    setModal(true);
    path_->setObjectName(QStringLiteral("path"));
    auto* find = new QLabel(QStringLiteral("Find the default web browser exe file"), this);
    auto* about = new QLabel(
        QStringLiteral("The browser connection allows the program to fetch the current web page "
                       "URL and title as project entry (use the globe button). The field below "
                       "must be filled out."),
        this);
    about->setWordWrap(true);
    auto* type = new QGroupBox(QStringLiteral("Type"), this);
    auto* typeRow = new QHBoxLayout(type);
    typeRow->addWidget(netscape_);
    typeRow->addWidget(explorer_);
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("Browse to find the web browser .exe file"));
    QPushButton* search = button(QStringLiteral("&Search"), this, "search");
    search->setToolTip(QStringLiteral("Locate the default browser program"));
    QPushButton* ok = button(QStringLiteral("&OK"), this, "ok");
    QPushButton* cancel = button(QStringLiteral("&Cancel"), this, "cancel");
    ok->setDefault(true);

    const Settings& s = session().settings;
    (s.netscapeUsed != 0 ? netscape_ : explorer_)->setChecked(true);
    path_->setText(s.webBrowser);

    connect(browse, &QToolButton::clicked, this, [this] { this->browse(); });
    connect(search, &QPushButton::clicked, this, [this] { SearchClick(); });
    connect(ok, &QPushButton::clicked, this, [this] {
        if (OKBtnClick()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_, 1);
    pathRow->addWidget(browse);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(search);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(find);
    layout->addWidget(about);
    layout->addWidget(type);
    layout->addLayout(pathRow);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

void TfrmSetBrowser::browse()
{
    // Programs here carry no extension: every file is offered.
    const QString picked =
        QFileDialog::getOpenFileName(this, QStringLiteral("Find browser executable (.exe-file"),
                                     QStringLiteral("/usr/bin"), QStringLiteral("All files (*)"));
    if (!picked.isEmpty()) path_->setText(picked);
}

void TfrmSetBrowser::SearchClick() { path_->setText(FindDefaultBrowser()); }

bool TfrmSetBrowser::OKBtnClick()
{
    const QString program = path_->text().trimmed();
    if (program.isEmpty() || !ProgramExists(program)) {
        ShowInfo(QStringLiteral("File or URL does not exist"), QStringLiteral("b64"), kError,
                 projectmessages::kHelp);
        return false;
    }
    Settings& s = session().settings;
    s.webBrowser = program;
    s.netscapeUsed = netscape_->isChecked() ? 1 : 0;
    return true;
}

void RunBrowserSetup(QWidget* parent)
{
    TfrmSetBrowser dialog(parent);
    dialog.exec();
    const Settings& s = session().settings;
    if (!ProgramExists(s.webBrowser)) return;
    IniFile::writeStringOnce(session().iniPath(), kHelperApps, QStringLiteral("WebBrowser"),
                             s.webBrowser);
    IniFile::writeIntegerOnce(session().iniPath(), kHelperApps, QStringLiteral("NetscapeUsed"),
                              s.netscapeUsed != 0 ? 1 : 0);
}

}  // namespace qb
