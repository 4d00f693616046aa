#pragma once

#include "platform/Sqlite.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QFile>
#include <QStringList>
#include <QVariant>

#include <initializer_list>

namespace qb::test {

// A store fixture with helpers to put rows in, take table files away and watch the desktop hooks.
class StoreChecksFixture : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        DesktopHooks& hooks = session().hooks;
        hooks.showBanner = [this](const QString& text) { banners << text; };
        hooks.hideBanner = [this] { ++bannerHides; };
        hooks.clearDesktop = [this] { ++desktopClears; };
        hooks.baseOpening = [this] { ++windowRestores; };
    }

    // Runs one statement with its values bound in order.
    void run(const QString& sqlText, std::initializer_list<QVariant> values = {})
    {
        sql::Statement st(session().store.db(), sqlText);
        ASSERT_TRUE(st.isValid()) << st.error().toStdString();
        int i = 1;
        for (const QVariant& v : values) st.bindVariant(i++, v);
        ASSERT_TRUE(st.run()) << st.error().toStdString();
    }

    void addWord(const QString& word, int wno, int wfq = 1)
    {
        run(QStringLiteral("INSERT INTO WORD (Word, WNo, WTS, WTS2, WFQ) VALUES (?1, ?2, -46000.5, -46000.5, ?3)"),
            {word, wno, wfq});
    }
    void addKeyword(double item, int order, double conceptId, int wno)
    {
        run(QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, ?3, ?4)"),
            {item, order, conceptId, wno});
    }

    // Every row of a query as text lines, for before/after comparisons.
    QStringList rows(const QString& sqlText)
    {
        QStringList out;
        sql::Statement st(session().store.db(), sqlText);
        EXPECT_TRUE(st.isValid()) << st.error().toStdString();
        while (st.next()) {
            QStringList cells;
            for (int c = 0; c < st.columnCount(); ++c) cells << st.value(c).toString();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    // Closes the store, deletes table files and opens it again (they are then missing).
    void removeTableFiles(const QStringList& fileNames)
    {
        session().store.close();
        for (const QString& name : fileNames) ASSERT_TRUE(QFile::remove(path(name))) << name.toStdString();
        QString error;
        ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    }

    // Runs schema statements on one table file with a connection of its own.
    void alterFile(const QString& fileName, const QString& statements)
    {
        session().store.close();
        {
            sql::Database db;
            ASSERT_TRUE(db.open(path(fileName), false));
            QString error;
            ASSERT_TRUE(db.exec(statements, &error)) << error.toStdString();
        }
        QString error;
        ASSERT_TRUE(session().store.open(dir(), &error)) << error.toStdString();
    }

    QStringList banners;
    int bannerHides = 0;
    int desktopClears = 0;
    int windowRestores = 0;
};

}  // namespace qb::test
