#pragma once

#include <QDialog>

namespace qb {

// "About QB": the program's name and version, where its store is, what it runs on.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    QString text() const { return text_; }

private:
    QString text_;
};

}  // namespace qb
