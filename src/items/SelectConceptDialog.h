#pragma once

#include "store/Timestamps.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

class QListWidget;
class QPushButton;

namespace qb {

// "SELECT CONCEPT": which of the concepts holding a dropped word the keyword goes through. OK or
// a double click chooses the selected entry; closing the window in any other way chooses none.
class SelectConceptDialog : public QDialog {
    Q_OBJECT
public:
    struct Entry {
        Timestamp conceptId = 0;
        QString words;  // the concept's words, as listed
    };
    static constexpr int kHelpContext = 40020;

    SelectConceptDialog(std::vector<Entry> entries, QWidget* parent = nullptr);

    QListWidget* list() const { return list_; }
    QPushButton* okButton() const { return ok_; }
    std::optional<Timestamp> chosen() const { return chosen_; }

    // Runs the dialog modally; the chosen concept, or none.
    static std::optional<Timestamp> choose(std::vector<Entry> entries, QWidget* parent = nullptr);

private:
    void takeSelected();

    std::vector<Entry> entries_;  // in list order
    QListWidget* list_;
    QPushButton* ok_;
    std::optional<Timestamp> chosen_;
};

}  // namespace qb
