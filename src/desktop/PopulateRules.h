#pragma once

#include <QDateTime>
#include <QPoint>
#include <QString>

namespace qb {

struct Settings;

// Item cards never start beyond this desktop coordinate, on either axis.
constexpr int kItemPlacementLimit = 1720;
// The items of a concept start this far from its card's corner (before the set's own shift).
constexpr QPoint kItemsBesideConcept{12, 28};
// The step of "Compact Packs".
constexpr int kCompactStep = 2;
// A row of the concept card's word list (a 15-pixel font) and what the frame adds.
constexpr int kConceptRowHeight = 17;
constexpr int kConceptFrameHeight = 36;

// Concept i (from 0) of a set: down a diagonal from the origin, each Horizontal +
// ConceptWinExtraOffsetHoriz to the right and Vertical down.
QPoint ConceptSetPosition(QPoint origin, int index, const Settings& settings);

// Card k (from 0, skipped cards not counted) of an item set whose call point is origin, in
// coordinates of the visible part. The first card is shifted right by Vertical; the steps are
// Horizontal and Vertical, or 2 and 2 with compact packs. A card whose desktop position would
// pass 1720 is put at 1720 on that axis.
QPoint ItemSetPosition(QPoint origin, int k, QPoint scroll, const Settings& settings, bool compact);

// The next pop spot: the counter grows by the stored offsets first.
QPoint NextPopPosition(QPoint& counter, QPoint spot, const Settings& settings);

// The height of a concept card that shows this many words.
int ConceptCardHeight(int words);

// The text of a project's items that a project drop puts on the clipboard: the project name,
// three blanks and the date and time, then each item's text after an empty line.
class ProjectTextCollector {
public:
    static constexpr int kBufferLength = 256000;
    static constexpr int kWorkLength = 128000;
    static constexpr int kKeepBelow = 255900;
    static constexpr int kNewCardExtra = 100;

    void start(const QString& project, const QDateTime& when);
    // The running length starts again at each item set.
    void resetRunning() { running_ = 0; }
    // Appends an item's text while the running length stays below the limit; a card set up
    // anew counts 100 more than its text. False when the text was not kept.
    bool add(const QString& text, bool newCard);

    bool active() const { return active_; }
    QString text() const { return text_; }
    int running() const { return running_; }

private:
    bool active_ = false;
    QString text_;
    int running_ = 0;
};

// The head of the collected text of a project: name, three blanks, date and time.
QString ProjectTextHead(const QString& project, const QDateTime& when);

}  // namespace qb
