#pragma once

#include <memory>

#include "floor/Messenger.h"

namespace qb {

class TfrmQBShowInfo;

// The desktop program's messenger: the information window for messages, a plain message box,
// the platform beep, pending events and the wait cursor.
class WidgetMessenger : public Messenger {
public:
    WidgetMessenger();
    ~WidgetMessenger() override;

    MessageReply showInfo(const MessageRequest& request) override;
    void plainMessage(const QString& text) override;
    void beep() override;
    void processEvents() override;
    void setWaitCursor(bool wait) override;

    // The one information window, made on first use.
    TfrmQBShowInfo* dialog();
    bool waitCursorShown() const { return waiting_; }

private:
    std::unique_ptr<TfrmQBShowInfo> dialog_;
    bool waiting_ = false;
};

}  // namespace qb
