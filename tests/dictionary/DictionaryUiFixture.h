#pragma once

#include <QPoint>
#include <QStringList>
#include <QVariantList>
#include <initializer_list>
#include <memory>
#include <vector>

#include "cards/DragPayload.h"
#include "support/StoreFixture.h"

class QWidget;

namespace qb {
class TBillBoard;
class TDesktop;
class TDict;
class TSynWheel;
}  // namespace qb

namespace qb::test {

// A store, the main window on the screen with the dictionary installed, and the commit of the
// items core behind Update Changes until the item cards bind it themselves.
class DictionaryUi : public StoreFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates words in this order; their numbers.
    std::vector<int> addWords(const QStringList& words);

    // View > "&Dictionary Window   " as the user chooses it.
    TDict* openWindow();
    // What a window's grid shows: its rows, the title and the selected word.
    static QStringList shownWords(TDict* window);
    static QString shownTitle(TDict* window);
    static QString selectedWord(TDict* window);
    // Puts a window on a word (as a click on its row does).
    static void selectWord(TDict* window, const QString& word);
    QList<TSynWheel*> conceptCards() const;

    // A drop of the program's payload onto a widget, as the drag loop delivers it.
    static void drop(QWidget* target, QPoint pos, const DragPayload& payload);
    static void flushDeletes();
    // Types text into a widget key by key, letters of any script included.
    static void type(QWidget* target, const QString& text);

    std::unique_ptr<TBillBoard> window;
    TDesktop* desktop = nullptr;

private:
    QString cwd_;
};

}  // namespace qb::test
