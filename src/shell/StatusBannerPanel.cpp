#include "shell/StatusBannerPanel.h"

#include <QEvent>

#include "floor/Messenger.h"
#include "session/Session.h"

namespace qb {

StatusBannerPanel::StatusBannerPanel(QWidget* covered) : QLabel(covered)
{
    setObjectName(QStringLiteral("statusBanner"));
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0, 0, 96));
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    QFont f = font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    setFont(f);
    setGeometry(covered->rect());
    covered->installEventFilter(this);
    hide();
}

void StatusBannerPanel::showText(const QString& text)
{
    setText(text);
    setGeometry(parentWidget()->rect());
    show();
    raise();
    repaint();
    session().messenger().setWaitCursor(true);
}

void StatusBannerPanel::hideBanner()
{
    hide();
    session().messenger().setWaitCursor(false);
}

bool StatusBannerPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QLabel::eventFilter(watched, event);
}

}  // namespace qb
