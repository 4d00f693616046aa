#include "shell/WidgetMessenger.h"

#include <QApplication>
#include <QMessageBox>

#include "shell/ShowInfoDialog.h"

namespace qb {

WidgetMessenger::WidgetMessenger() = default;

WidgetMessenger::~WidgetMessenger() { setWaitCursor(false); }

TfrmQBShowInfo* WidgetMessenger::dialog()
{
    if (!dialog_) dialog_ = std::make_unique<TfrmQBShowInfo>();
    return dialog_.get();
}

MessageReply WidgetMessenger::showInfo(const MessageRequest& request)
{
    // A message opened from inside another one (a timer firing meanwhile) gets a window of its
    // own, so the open one is not refilled under the user's eyes.
    if (dialog()->isVisible()) {
        TfrmQBShowInfo nested(QApplication::activeModalWidget());
        return nested.run(request);
    }
    return dialog()->run(request);
}

void WidgetMessenger::plainMessage(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    bool wasWaiting = waiting_;
    setWaitCursor(false);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillbox 2000"), shown, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("plainMessage"));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    if (wasWaiting) setWaitCursor(true);
}

void WidgetMessenger::beep() { QApplication::beep(); }

void WidgetMessenger::processEvents() { QApplication::processEvents(); }

void WidgetMessenger::setWaitCursor(bool wait)
{
    if (wait == waiting_ || !qApp) return;
    waiting_ = wait;
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

}  // namespace qb
