#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

namespace qb::test {

// Handles modal windows from a zero-delay timer: each modal window that comes up gets the next
// queued action; whatever an action leaves open is closed afterwards, and a modal window with no
// action waiting is closed at once and recorded as a stray. A test can fail, but never hang.
class ModalDriver {
public:
    using Action = std::function<void(QWidget*)>;

    ModalDriver()
    {
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { tick(); });
        timer_.setInterval(0);
        timer_.start();
    }

    void then(Action act) { actions_.push_back(std::move(act)); }
    int handled() const { return handled_; }
    QStringList strays;

private:
    void tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        QPointer<QWidget> guard = modal;
        if (actions_.empty()) {
            strays << modal->windowTitle();
        } else {
            Action act = std::move(actions_.front());
            actions_.pop_front();
            ++handled_;
            act(modal);
        }
        if (guard && guard->isVisible()) {
            if (auto* d = qobject_cast<QDialog*>(guard.data()))
                d->reject();
            else
                guard->close();
        }
    }

    QTimer timer_;
    std::deque<Action> actions_;
    int handled_ = 0;
};

}  // namespace qb::test
