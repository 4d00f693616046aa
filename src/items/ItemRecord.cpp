#include "items/ItemRecord.h"

#include "floor/Messages.h"
#include "items/ItemLinks.h"
#include "items/ItemPicture.h"
#include "platform/Sqlite.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QBuffer>

namespace qb {

QString NormalizeLineBreaks(const QString& text)
{
    if (!text.contains(QLatin1Char('\r'))) return text;
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString ItemTextRefusal(const QString& text)
{
    if (!HasNulCharacter(text)) return {};
    return QStringLiteral(
        "An item text must not contain a NUL character (code 0); the item "
        "was not stored");
}

QByteArray PictureToStoredBytes(const QImage& picture)
{
    if (picture.isNull()) return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "BMP")) return {};
    return bytes;
}

QImage PictureFromStoredBytes(const QByteArray& bytes) { return LoadPictureData(bytes).image; }

void SetStoredPicture(ItemCardData& card, const QByteArray& animation)
{
    PictureFile picture;
    if (!animation.isEmpty()) picture = LoadPictureData(animation);
    card.picture = picture.image;
    card.hasPicture = !card.picture.isNull();
    card.pictureUnread = !animation.isEmpty() && !card.hasPicture;
    card.pictureRefusal = card.pictureUnread ? picture.error : QString();
}

void FillItemFromRecord(ItemCardData& card, const QString& tx, const QByteArray& animation)
{
    card.text = NormalizeLineBreaks(tx);
    SetStoredPicture(card, animation);
}

QString PictureNotShownHint(const QString& why)
{
    return QStringLiteral("The stored picture is not shown%1; it stays stored as it is.")
        .arg(why.isEmpty() ? QString() : QStringLiteral(": ") + why);
}

void TellPictureNotShown(Timestamp itemId, const QString& why)
{
    // Once a run: a package with many such pictures must not bury the user in messages; each
    // card says it on its own.
    struct PictureNotice {
        bool told = false;
    };
    bool& told = session().part<PictureNotice>().told;
    if (told) return;
    told = true;
    ShowInfo(QStringLiteral("The picture of item %1 is not shown%2. It stays stored as it is, "
                            "and the item's text can be read and edited; other cards whose "
                            "picture is not shown say so when the mouse rests on them.")
                 .arg(QString::number(double(itemId), 'g', 15),
                      why.isEmpty() ? QString() : QStringLiteral(": ") + why),
             QStringLiteral("qb3689"), kInformation, 0);
}

bool LoadItemRecord(ItemCardData& card, Timestamp id, QString* error)
{
    sql::Statement st(session().store.db(),
                      QStringLiteral("SELECT TX, Animation FROM ITEM WHERE IT = ?1"));
    st.bind(1, id);
    if (!st.next()) {
        if (error) *error = st.ok() ? QStringLiteral("no item record") : st.error();
        return false;
    }
    FillItemFromRecord(card, st.textValue(0), st.blobValue(1));
    return true;
}

bool LoadItemCard(ItemCardData& card, Timestamp id, QString* error)
{
    card.itemId = id;
    if (!LoadItemRecord(card, id, error)) return false;
    if (!AddKeys(card, id, error) || !AddURLs(card, id, error)) return false;
    card.changed = false;
    return true;
}

bool ItemExists(Timestamp id)
{
    sql::Statement st(session().store.db(), QStringLiteral("SELECT IT FROM ITEM WHERE IT = ?1"));
    st.bind(1, id);
    if (st.next()) return true;
    return !st.ok();
}

QString DeleteItemQuestion(const ItemCardData& card)
{
    QString first = card.text.section(QLatin1Char('\n'), 0, 0);
    if (first.isEmpty()) first = QStringLiteral("No text");
    return QStringLiteral("Ok to delete this item definitely? (") + QLatin1Char('"') + first +
           QLatin1Char('"') + QStringLiteral(") ");
}

bool ConfirmItemDelete(ItemCardData& card)
{
    // No is the default: the delete reaches the store at the next commit and cannot be undone
    // after that.
    if (!ShowInfo(DeleteItemQuestion(card), QString(), kQuestionNo, 40020)) return false;
    card.changed = true;
    card.deleted = true;
    card.hidden = true;
    session().desktopDirty = true;
    return true;
}

}  // namespace qb
