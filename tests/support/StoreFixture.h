#pragma once

#include "platform/Clock.h"
#include "support/ScriptedMessenger.h"
#include "support/StoreSeed.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace qb::test {

// A fresh store directory per test with the scripted messenger and the fake clock installed.
// The store is created and opened unless the test asks otherwise; StoreSeed puts rows in.
class StoreFixture : public ::testing::Test, public StoreSeed {
protected:
    explicit StoreFixture(bool createStore = true) : createStore_(createStore) {}
    void SetUp() override;
    void TearDown() override;

    QString dir() const { return dir_.path(); }
    QString path(const QString& name) const;
    // Runs a statement on the open store and returns the first column of the first row.
    QVariant scalar(const QString& sql);
    // Writes text into qb.ini of the store (the settings are not reloaded).
    void writeIni(const QString& text);
    // Runs quillbox-cli with arguments; returns the exit code, output in *out.
    int runCli(const QStringList& args, QString* out = nullptr, QString* err = nullptr);
    static QString cliPath();

    ScriptedMessenger messenger;
    FakeClock clock;

private:
    bool createStore_;
    QTemporaryDir dir_;
};

}  // namespace qb::test
