#include "support/StoreFixture.h"

#include "platform/FileNames.h"
#include "session/Session.h"
#include "store/Schema.h"

#include <QDir>
#include <QProcess>

namespace qb::test {

void StoreFixture::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    Session& s = session();
    s.store.close();
    s.resetRunState();
    s.setMessenger(&messenger);
    s.setClock(&clock);
    s.setDir(dir_.path());
    if (createStore_) {
        QString error;
        ASSERT_TRUE(schema::createEmptyStore(dir_.path(), &error)) << error.toStdString();
        ASSERT_TRUE(s.store.open(dir_.path(), &error)) << error.toStdString();
    }
}

void StoreFixture::TearDown()
{
    messenger.verify();
    Session& s = session();
    s.store.close();
    s.resetRunState();
    s.setMessenger(nullptr);
    s.setClock(nullptr);
}

QString StoreFixture::path(const QString& name) const { return files::resolve(dir_.path(), name); }

QVariant StoreFixture::scalar(const QString& sql)
{
    sql::Statement st(session().store.db(), sql);
    EXPECT_TRUE(st.isValid()) << st.error().toStdString();
    if (!st.next()) return {};
    return st.value(0);
}

void StoreFixture::writeIni(const QString& text)
{
    ASSERT_TRUE(files::writeTextFile(QDir(dir_.path()).filePath(QStringLiteral("qb.ini")), text));
}

QString StoreFixture::cliPath() { return QStringLiteral(QUILLBOX_CLI_PATH); }

int StoreFixture::runCli(const QStringList& args, QString* out, QString* err)
{
    QProcess p;
    QString cli = QStringLiteral(QUILLBOX_CLI_PATH);
    p.start(cli, args);
    if (!p.waitForFinished(120000)) return -1;
    if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace qb::test
