#pragma once

#include "items/ItemCardData.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace qb {

// CR LF and lone CR become "\n"; nothing else in the text is touched.
QString NormalizeLineBreaks(const QString& text);

// Why a text cannot be an item text, or empty when it can: a NUL cuts the text short in print
// and hides the item from the indexed search. Tabs and line breaks are kept as they are.
QString ItemTextRefusal(const QString& text);

// The picture as stored in ITEM.Animation: BMP data. A null picture gives empty data.
QByteArray PictureToStoredBytes(const QImage& picture);
// Reads stored picture data through LoadPictureData; a null image when refused.
QImage PictureFromStoredBytes(const QByteArray& bytes);

// Puts stored Animation data into the card: the picture, or, when the decoder refuses it,
// pictureUnread with the reason.
void SetStoredPicture(ItemCardData& card, const QByteArray& animation);
// Puts a stored TX and Animation into the card: the text with "\n" line breaks, the picture
// and the has-picture flag; a picture refused by the decoder leaves pictureUnread and the reason.
// Links and flags are left alone.
void FillItemFromRecord(ItemCardData& card, const QString& tx, const QByteArray& animation);
// The hint of a card whose stored picture is not shown.
QString PictureNotShownHint(const QString& why);
// Tells the user, once a run, that a stored picture is not shown and why; it stays stored.
void TellPictureNotShown(Timestamp itemId, const QString& why);

// Reads the ITEM record of id into the card (text and picture; see FillItemFromRecord).
// False when there is no such record or the query fails (error then says why).
bool LoadItemRecord(ItemCardData& card, Timestamp id, QString* error = nullptr);

// Loads a whole item into fresh card data: id, record, keyword and project links, Changed clear.
bool LoadItemCard(ItemCardData& card, Timestamp id, QString* error = nullptr);

// Whether ITEM holds a record with this id; also true when the query fails, so that a doubtful
// answer never leads to deleting something still in use.
bool ItemExists(Timestamp id);

// The question the item card asks before it deletes itself.
QString DeleteItemQuestion(const ItemCardData& card);
// Asks DeleteItemQuestion; on yes marks the card Changed, Deleted and Hidden and the desktop
// dirty. True when the card was marked; the card widget then hides itself.
bool ConfirmItemDelete(ItemCardData& card);

}  // namespace qb
