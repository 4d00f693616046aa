#pragma once

#include "dictionary/DictionaryBrowser.h"
#include "dictionary/DictionaryState.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/Words.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QLocale>
#include <QStringList>

#include <memory>
#include <vector>

namespace qb::test {

// A dictionary window without widgets: the browser plus what the rules asked of it.
class FakeDictionaryWindow : public DictionaryWindowHost {
public:
    DictionaryBrowser& browser() override { return browser_; }
    bool isShown() const override { return shown; }
    bool gridHasFocus() const override { return focused; }
    void focusGrid() override { focused = true; }
    void bringToFront() override { ++frontCount; }
    void openInflectionWindow(int wordNo, const QString& word) override
    {
        inflectionWindows << word;
    }

    QString currentWord() { return browser_.current().word; }

    bool shown = true;
    bool focused = false;
    int frontCount = 0;
    QStringList inflectionWindows;

private:
    DictionaryBrowser browser_;
};

class DictionaryFixture : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        windows_.clear();
        QLocale::setDefault(QLocale::c());
        StoreFixture::TearDown();
    }

    // Creates words in this order; returns their numbers.
    std::vector<int> addWords(const QStringList& words)
    {
        std::vector<int> numbers;
        for (const QString& w : words) numbers.push_back(CreateWord(w));
        return numbers;
    }
    // A window in slot order, shown.
    FakeDictionaryWindow& openWindow()
    {
        windows_.push_back(std::make_unique<FakeDictionaryWindow>());
        FakeDictionaryWindow& w = *windows_.back();
        int slot = DictionaryWindows::instance().firstFreeSlot();
        w.browser().slot = slot;
        DictionaryWindows::instance().put(slot, &w);
        return w;
    }
    // The words of a browser in its order.
    static QStringList wordsOf(DictionaryBrowser& b)
    {
        QStringList out;
        for (int i = 0; i < b.rowCount(); ++i) out << b.row(i).word;
        return out;
    }

private:
    std::vector<std::unique_ptr<FakeDictionaryWindow>> windows_;
};

}  // namespace qb::test
