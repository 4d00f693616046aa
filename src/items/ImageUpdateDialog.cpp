#include "items/ImageUpdateDialog.h"

#include "floor/HelpTopic.h"
#include "session/Session.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qb {

namespace {

QPushButton* button(QWidget* parent, const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

ImageUpdateDialog::ImageUpdateDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("imageUpdate"));
    setWindowTitle(QStringLiteral("IMAGE UPDATE"));
    SetHelpTopic(this, kHelpContext);
    setModal(true);

    clipboard_ = button(this, QStringLiteral("&Get Clipboard Copy"), "getClipboard");
    const QClipboard* cb = QGuiApplication::clipboard();
    clipboard_->setEnabled(cb && cb->mimeData() && cb->mimeData()->hasImage());
    auto* method1 = new QGroupBox(QStringLiteral("Method 1"), this);
    auto* m1 = new QHBoxLayout(method1);
    m1->addWidget(clipboard_);
    m1->addStretch(1);

    auto* method2 = new QGroupBox(QStringLiteral(".BMP/.JPG file to upload (Method 2)"), this);
    file_ = new QLineEdit(method2);
    file_->setObjectName(QStringLiteral("fileName"));
    auto* browse = new QToolButton(method2);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QStringLiteral("If annotating a file, browse for directory"));
    QPushButton* ok = button(method2, QStringLiteral("&OK"), "ok");
    auto* m2 = new QHBoxLayout(method2);
    m2->addWidget(file_, 1);
    m2->addWidget(browse);
    m2->addWidget(ok);

    QPushButton* remove = button(this, QStringLiteral("&Remove Image"), "remove");
    QPushButton* copy = button(this, QStringLiteral("Cop&y Image"), "copy");
    QPushButton* cancel = button(this, QStringLiteral("&Cancel"), "cancel");
    auto* row = new QHBoxLayout;
    row->addWidget(remove);
    row->addWidget(copy);
    row->addStretch(1);
    row->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(method1);
    layout->addWidget(method2);
    layout->addLayout(row);
    resize(420, sizeHint().height());

    connect(clipboard_, &QPushButton::clicked, this, [this] { finish(FromClipboard); });
    connect(ok, &QPushButton::clicked, this, [this] { finish(FromFile); });
    connect(file_, &QLineEdit::returnPressed, this, [this] { finish(FromFile); });
    connect(remove, &QPushButton::clicked, this, [this] { finish(Remove); });
    connect(copy, &QPushButton::clicked, this, [this] { finish(Copy); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QToolButton::clicked, this, &ImageUpdateDialog::browse);
}

void ImageUpdateDialog::finish(Action action)
{
    choice_.action = action;
    // The whole name: paths here are longer than the old 50 characters and case matters.
    choice_.file = action == FromFile ? file_->text().trimmed() : QString();
    if (action == FromFile && choice_.file.isEmpty()) return;
    accept();
}

void ImageUpdateDialog::browse()
{
    const QString picked = QFileDialog::getOpenFileName(
        this, QStringLiteral("SELECT AN IMAGE FILE (*.bmp, *.jpg)"), session().dir(),
        QStringLiteral("Pictures (*.bmp *.BMP *.jpg *.JPG *.jpeg *.JPEG);;All files (*)"));
    if (!picked.isEmpty()) file_->setText(picked);
}

ImageUpdateDialog::Choice ImageUpdateDialog::ask(QWidget* parent)
{
    ImageUpdateDialog dialog(parent ? parent->window() : nullptr);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.choice();
}

}  // namespace qb
