#include "shell/AboutDialog.h"

#include <sqlite3.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "session/Session.h"

namespace qb {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About QB"));
    Session& s = session();
    text_ = QStringLiteral(
                "<h2>Quillbox 2000</h2>"
                "<p>Version %1</p>"
                "<p>Short texts, words, concepts and projects on one desktop of cards.</p>"
                "<p>Store: %2</p>"
                "<p>Qt %3, SQLite %4</p>")
                .arg(s.version().toHtmlEscaped(), s.dir().toHtmlEscaped(),
                     QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()));
    auto* label = new QLabel(text_, this);
    label->setObjectName(QStringLiteral("aboutText"));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(buttons);
}

}  // namespace qb
