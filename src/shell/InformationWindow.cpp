#include "shell/InformationWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qb {

InformationWindow::InformationWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint),
      text_(new QPlainTextEdit(this)),
      once_(new QLabel(QStringLiteral("This information is displayed once only"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("informationWindow"));
    setWindowTitle(QStringLiteral("INFORMATION"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(once_);
    bottom->addStretch();
    bottom->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(bottom);
    resize(600, 440);
}

void InformationWindow::setContent(const QString& text, bool onceOnly)
{
    text_->setPlainText(text);
    once_->setVisible(onceOnly);
    ok_->setFocus();
}

void InformationWindow::showText(const QString& text, bool onceOnly, QWidget* parent)
{
    InformationWindow w(parent);
    w.setContent(text, onceOnly);
    w.exec();
}

}  // namespace qb
