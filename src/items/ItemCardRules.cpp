#include "items/ItemCardRules.h"

#include "floor/Messages.h"
#include "floor/Settings.h"
#include "items/ItemCardData.h"
#include "platform/Dates.h"

#include <algorithm>
#include <cmath>

namespace qb {

ContentsTypes FlipSide(ContentsTypes up, bool quickFlip, bool hasPicture)
{
    if (quickFlip) {
        if (hasPicture) {
            switch (up) {
            case ctxKeys:
            case ctxText: return ctxCombined;
            case ctxUrls:
            case ctxCombined: return ctxImage;
            case ctxImage: return ctxText;
            default: return up;
            }
        }
        switch (up) {
        case ctxUrls:
        case ctxCombined: return ctxText;
        case ctxKeys:
        case ctxText: return ctxCombined;
        default: return up;  // the picture side of a card that lost its picture stays
        }
    }
    switch (up) {
    case ctxKeys: return ctxCombined;
    case ctxUrls: return hasPicture ? ctxImage : ctxText;
    case ctxText: return ctxKeys;
    case ctxCombined: return ctxUrls;
    case ctxImage: return ctxText;
    default: return up;
    }
}

ContentsTypes SideOfMode(int mode)
{
    return mode >= ctxKeys && mode <= ctxCombined ? ContentsTypes(mode) : ctxText;
}

int NextCardSideMode(int mode)
{
    switch (mode) {
    case ctxText: return ctxKeys;
    case ctxKeys: return ctxUrls;
    case ctxUrls: return ctxCombined;
    default: return ctxText;
    }
}

int TextPointSizeForWidth(int editorWidth)
{
    if (editorWidth < 220) return 10;
    if (editorWidth < 400) return 11;
    return 12;
}

ItemLayout LayoutItemParts(QSize card, ContentsTypes up, double textWidthShare,
                           double textHeightShare)
{
    ItemLayout l;
    const int w = std::max(0, card.width() - 10);
    const int h = std::max(0, card.height() - 28);
    const QRect whole(kItemPartsLeft, kItemPartsTop, w, h);
    l.picture = whole;
    if (up != ctxCombined) {
        l.text = l.keys = l.urls = whole;
        l.textPointSize = TextPointSizeForWidth(w);
        return l;
    }
    l.combined = true;
    // Truncated, but 390 x 0.70 is 273 and not 272.99999...
    auto part = [](int whole, double share) { return int(whole * share + 1e-9); };
    const int textW = part(w, textWidthShare);
    const int textH = part(h, textHeightShare);
    l.text = QRect(kItemPartsLeft, kItemPartsTop, textW, textH);
    l.keys =
        QRect(textW + kItemPartsLeft, kItemPartsTop, std::max(0, card.width() - textW - 10), textH);
    l.urls =
        QRect(kItemPartsLeft, textH + kItemPartsTop, w, std::max(0, card.height() - textH - 28));
    l.divider = QRect(QPoint(textW - 5, textH + 9), kDividerSize);
    l.textPointSize = TextPointSizeForWidth(textW);
    return l;
}

void FitStripToRows(ItemLayout& l, int rowHeight, int frame)
{
    if (!l.combined || rowHeight <= 0) return;
    const int inside = l.urls.height() - frame;
    const int rows = inside / rowHeight;
    if (rows < 1) return;
    const int spare = inside - rows * rowHeight;
    l.urls.setTop(l.urls.top() + spare);
    l.text.setHeight(l.text.height() + spare);
    l.keys.setHeight(l.keys.height() + spare);
    l.divider.translate(0, spare);
}

void DividerShares(QPoint drop, QSize card, double* widthShare, double* heightShare)
{
    const int w = std::max(1, card.width() - 10);
    const int h = std::max(1, card.height() - 28);
    *widthShare = std::clamp(double(drop.x() - kItemPartsLeft) / w, 0.05, 0.95);
    *heightShare = std::clamp(double(drop.y() - kItemPartsTop) / h, 0.05, 0.95);
}

int BookPageHeight(int fontPixelHeight, int lines)
{
    return int(std::abs(fontPixelHeight) * 1.16 * lines) + 24;
}

NewItemStamp StampForNewItem(const QString& boxText, const QDate& today, const QString& dateFormat,
                             QChar separator)
{
    NewItemStamp stamp;
    QString text = boxText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.isEmpty()) return stamp;
    const QString first = text.section(QLatin1Char('\n'), 0, 0);
    if (first.size() <= 2) return stamp;
    if (text.toUpper().contains(QStringLiteral("*DATE*"))) {
        stamp.firstLine =
            (QLatin1Char('[') + dates::formatDate(today, dateFormat, separator) + QLatin1Char(']'))
                .left(ItemCardData::kMaxNameLength);
        stamp.dated = true;
    } else {
        stamp.firstLine = first;
    }
    return stamp;
}

int LimitItemText(QString& text)
{
    if (text.size() <= ItemCardData::kMaxTextLength) return 0;
    int cut = ItemCardData::kMaxTextLength;
    if (text.at(cut - 1).isHighSurrogate()) --cut;
    const int leftOut = int(text.size()) - cut;
    text.truncate(cut);
    return leftOut;
}

void ReportTextCut(int leftOut)
{
    if (leftOut <= 0) return;
    ShowInfo(QStringLiteral(
                 "An item holds at most %1 characters: %2 characters of the text were left out.")
                 .arg(ItemCardData::kMaxTextLength)
                 .arg(leftOut),
             QStringLiteral("i1585"), kInformation, 30050);
}

QString NewItemText(const QString& firstLine, const QString* clipboardText, int* leftOut)
{
    QString text =
        firstLine.isEmpty() && !clipboardText ? QString() : firstLine + QLatin1Char('\n');
    if (clipboardText) {
        QString clip = *clipboardText;
        clip.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        text += clip;
    }
    const int cut = LimitItemText(text);
    if (leftOut) *leftOut = cut;
    return text;
}

std::optional<int> AgeShadeGrey(double ageDays, int fadeMonths, int baseGrey, int fadedGrey)
{
    if (fadeMonths <= 1) return std::nullopt;
    const double step = std::trunc(ageDays * 50.0 / fadeMonths);
    // Clamped before the conversion: a very old item must not overflow the integer.
    const double g =
        std::clamp(baseGrey + step, double(baseGrey), double(std::max(baseGrey, fadedGrey)));
    return int(g);
}

std::optional<int> AgeShadeGrey(Timestamp its, const QDateTime& now, const Settings& settings)
{
    const double age = dates::toSerial(now) + double(its);
    return AgeShadeGrey(age, settings.ageFadeAwayInMonths, settings.baseGreyRGB,
                        settings.fadedGreyRGB);
}

int GreyColor(int level)
{
    const int g = std::clamp(level, 0, 255);
    return g * 65536 + g * 256 + g;
}

bool PictureWithinLimit(QSize size)
{
    return qint64(size.width()) * size.height() <= ItemCardData::kMaxPicturePixels;
}

QString ItemDateText(Timestamp id, const Settings& settings)
{
    return dates::formatDate(dates::dateOfDayNumber(dayOfTimestamp(id)), settings.dateFormat,
                             settings.dateSeparator);
}

}  // namespace qb
