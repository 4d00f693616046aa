#pragma once

#include "platform/Sqlite.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <QFile>
#include <QStringList>

namespace qb::test {

// A store fixture with helpers to take table files away and watch the desktop hooks.
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

    // Closes the store, deletes table files and opens it again (they are then missing).
    void removeTableFiles(const QStringList& fileNames)
    {
        session().store.close();
        for (const QString& name : fileNames)
            ASSERT_TRUE(QFile::remove(path(name))) << name.toStdString();
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
