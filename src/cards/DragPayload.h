#pragma once

#include "store/Timestamps.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QMimeData;

namespace qb {

struct CardData;

// What a drag between cards, windows and the desktop carries. Every drop handler takes one of
// these, so a real drop and a test calling the handler directly take the same road.
struct DragPayload {
    enum class Source {
        None,
        DictionaryWord,  // a word dragged out of a dictionary window
        InflectionWord,  // a form dragged out of an inflection window
        ConceptWord,     // a word dragged out of a concept card
        ItemKeyword,     // a keyword dragged out of an item card
        ItemProject,     // a project dragged out of an item card
        Concept,         // a whole concept card
        Project,         // a project from a project window
        Flyword,
        Files,  // files dropped from the file manager
    };

    Source source = Source::None;
    int wordNo = 0;
    QString word;  // at most 50 characters
    Timestamp conceptId = 0;
    Timestamp itemId = 0;
    QString project;
    int position = -1;               // row in the source list, when it has one
    CardData* sourceCard = nullptr;  // the card the drag started from, while it lives
    QStringList files;

    static constexpr int kMaxWordLength = 50;
    static QString mimeType() { return QStringLiteral("application/x-quillbox-drag"); }

    QByteArray encode() const;
    static DragPayload decode(const QByteArray& bytes);
};

// The drag of the run: a drag inside the program keeps its source card here, since a pointer
// cannot travel through mime data.
DragPayload& CurrentDrag();

}  // namespace qb
