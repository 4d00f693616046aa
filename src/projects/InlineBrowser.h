#pragma once

#include <QWidget>

class QLabel;
class QTextBrowser;
class QUrl;

namespace qb {

// The browser view of a project window, covering its list: local files and HTML are shown in
// place, web addresses are links handed to the external browser. It opens on a page of the
// program's own.
class TInlineBrowserForm : public QWidget {
    Q_OBJECT
public:
    explicit TInlineBrowserForm(QWidget* parent);

    QTextBrowser* view() const { return view_; }
    QLabel* caption() const { return caption_; }
    QLabel* status() const { return status_; }
    QString address() const { return address_; }

    // The project shown and its address; FindAddress goes there.
    void setAddress(const QString& project, const QString& address);
    void FindAddress();
    // Stops what is being shown (before the form goes).
    void Stop();

    static QString startPage();

private:
    void linkClicked(const QUrl& url);

    QLabel* caption_;
    QTextBrowser* view_;
    QLabel* status_;
    QString address_;
};

}  // namespace qb
