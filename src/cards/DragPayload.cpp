#include "cards/DragPayload.h"

#include "session/Session.h"

#include <QDataStream>
#include <QIODevice>

namespace qb {

QByteArray DragPayload::encode() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << int(source) << wordNo << word.left(kMaxWordLength) << double(conceptId) << double(itemId)
        << project << position << files;
    return bytes;
}

DragPayload DragPayload::decode(const QByteArray& bytes)
{
    DragPayload p;
    QDataStream in(bytes);
    int source = 0;
    double conceptValue = 0, itemValue = 0;
    in >> source >> p.wordNo >> p.word >> conceptValue >> itemValue >> p.project >> p.position >>
        p.files;
    if (in.status() != QDataStream::Ok || source < 0 || source > int(Source::Files)) return {};
    p.source = Source(source);
    p.conceptId = conceptValue;
    p.itemId = itemValue;
    return p;
}

namespace {

// The payload of the drag in progress, for drop targets that read more than the MIME data.
struct CurrentDragState {
    DragPayload drag;
};

}  // namespace

DragPayload& CurrentDrag() { return session().part<CurrentDragState>().drag; }

}  // namespace qb
