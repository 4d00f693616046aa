#pragma once

#include "cards/BaseCard.h"
#include "cards/Desktop.h"
#include "dictionary/ConceptCardData.h"
#include "dictionary/DictionaryWindows.h"
#include "platform/Colors.h"
#include "session/Session.h"

#include <QListWidget>
#include <QResizeEvent>

#include <memory>

namespace qb::test {

// A light concept card for the populate tests: a base card that holds the concept's data and
// lists its words, made through the placeConceptCard hook, so that these tests measure the
// layout and not the dictionary's card (the dictionary tests drive the real one).
class FakeConceptCard : public TBasPanel {
public:
    FakeConceptCard(TDesktop& desktop, std::unique_ptr<ConceptCardData> data)
        : TBasPanel(desktop, std::move(data)), list_(new QListWidget(this))
    {
        const Settings& s = session().settings;
        setKindText(QStringLiteral("Concept"));
        QFont f(QStringLiteral("Times New Roman"));
        f.setPixelSize(15);
        f.setBold(true);
        f.setItalic(true);
        list_->setFont(f);
        QPalette pal = list_->palette();
        pal.setColor(QPalette::Base, colors::toQColor(s.synTableColor, pal));
        pal.setColor(QPalette::Text, colors::toQColor(s.synFontColor, pal));
        list_->setPalette(pal);
        list_->setFrameShape(QFrame::NoFrame);
        list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        for (const ConceptWord& w : conceptData().words) list_->addItem(w.word);
        placeList();
        ApplyColor();
    }

    ConceptCardData& conceptData() { return dataAs<ConceptCardData>(); }
    QListWidget* list() const { return list_; }
    bool CanHide() const override { return data().canHide(); }
    bool IsEmpty() const override { return data().isEmpty(); }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        TBasPanel::resizeEvent(e);
        placeList();
    }

private:
    void placeList()
    {
        if (list_) list_->setGeometry(5, 14, std::max(0, width() - 10), std::max(0, height() - 28));
    }

    QListWidget* list_ = nullptr;
};

// Fills the placeConceptCard hook with the light card.
inline void InstallFakeConceptCards(TDesktop& desktop)
{
    dictionaryHooks().placeConceptCard = [&desktop](ConceptCardData& data) {
        // The data comes with a point of the visible part, as the real card takes it.
        data.pos = desktop.toDesktop(data.pos);
        const SlotAnswer answer = desktop.GetSynWheelSlot(data.pos, data.conceptId);
        if (answer.isExisting()) return true;
        if (!answer.isNew()) return false;
        auto* card = new FakeConceptCard(desktop, std::make_unique<ConceptCardData>(data));
        desktop.takeSlot(*card, answer.slot);
        card->show();
        return true;
    };
}

}  // namespace qb::test
