#pragma once

#include <QMainWindow>

namespace qb {

class CommandRegistry;
class TDesktop;

// The main window: tool bar, menu bar and the desktop of cards.
class TBillBoard : public QMainWindow {
    Q_OBJECT
public:
    explicit TBillBoard(QWidget* parent = nullptr);
    ~TBillBoard() override;

    // The one main window of the run (null before it exists).
    static TBillBoard* instance();

    CommandRegistry& commands() { return *commands_; }
    TDesktop* desktop() const { return desktop_; }
    // The tool bar's logo panel: takes the focus so that no card holds it.
    QWidget* logoPanel() const { return logoPanel_; }

private:
    CommandRegistry* commands_;
    TDesktop* desktop_;
    QWidget* logoPanel_;
};

}  // namespace qb
