#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/FileNames.h"
#include "platform/IniFile.h"
#include "session/Session.h"
#include "shell/DesktopProgram.h"
#include "shell/MainWindow.h"
#include "shell/SingleInstanceGuard.h"
#include "shell/Startup.h"
#include "shell/WindowLayout.h"
#include "support/StoreFixture.h"

#include <unistd.h>

using namespace qb;

namespace {

// A store directory that the test lays out itself.
class Startup : public test::StoreFixture {
protected:
    Startup() : StoreFixture(false) {}
    void SetUp() override
    {
        StoreFixture::SetUp();
        cwd = QDir::currentPath();
    }
    void TearDown() override
    {
        QDir::setCurrent(cwd);
        StoreFixture::TearDown();
    }
    QString sub(const QString& name) const { return QDir(dir()).filePath(name); }

    QString cwd;
};

}  // namespace

TEST_F(Startup, EntryMakesAFreshStoreOnlyInANewOrEmptyDirectory)
{
    const QString fresh = sub(QStringLiteral("new/store"));
    EntryCheck check = CheckProgramEntry(fresh);
    ASSERT_TRUE(check.ok) << check.message.toStdString();
    EXPECT_EQ(check.state, StoreDirectoryState::Fresh);
    EXPECT_TRUE(files::exists(fresh, QStringLiteral("ITEM.DB")));
    EXPECT_TRUE(files::exists(fresh, QStringLiteral("DICT.DB")));
    EXPECT_EQ(CheckProgramEntry(fresh).state, StoreDirectoryState::Ready)
        << "the second start finds it";

    const QString other = sub(QStringLiteral("papers"));
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(files::writeTextFile(QDir(other).filePath(QStringLiteral("letter.txt")),
                                     QStringLiteral("Dear")));
    check = CheckProgramEntry(other);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, QStringLiteral("Data base missing"));
    EXPECT_EQ(QDir(other).entryList(QDir::Files), QStringList{"letter.txt"})
        << "a foreign directory is left alone";

    // A directory that cannot be made says so.
    const QString blocked = QDir(other).filePath(QStringLiteral("letter.txt/store"));
    check = CheckProgramEntry(blocked);
    EXPECT_FALSE(check.ok);
    EXPECT_TRUE(check.message.contains(blocked)) << check.message.toStdString();
}

TEST_F(Startup, DeepestAllowedStorePathIs65CharactersWithItsSeparator)
{
    const QString base = dir() + QLatin1Char('/');
    ASSERT_LT(base.size(), 60);
    const QString allowed = base + QString(64 - base.size(), QLatin1Char('a'));
    const QString tooLong = base + QString(65 - base.size(), QLatin1Char('b'));
    ASSERT_EQ(files::withSeparator(allowed).size(), 65);
    EXPECT_TRUE(CheckProgramEntry(allowed).ok);
    EntryCheck check = CheckProgramEntry(tooLong);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.message, QStringLiteral("Directory path too long: ") + tooLong);
    EXPECT_FALSE(QFileInfo::exists(tooLong));
}

TEST_F(Startup, InformationFilesCountAsChangedUntilTheirTimeIsRecorded)
{
    ASSERT_TRUE(files::writeTextFile(sub("QB_Program_Fixes.txt"), QStringLiteral("fixed")));
    ASSERT_TRUE(files::writeTextFile(sub("QB_info_9.txt"), QStringLiteral("not one of them")));
    IniFile ini(session().iniPath());
    std::vector<InformationFile> changed = ChangedInformationFiles(dir(), ini);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0].key, QStringLiteral("QB_Program_Fixes"));
    ASSERT_TRUE(MarkInformationShown(session().iniPath(), changed[0]));
    EXPECT_TRUE(ChangedInformationFiles(dir(), IniFile(session().iniPath())).empty());
}

TEST(WindowLayout, RestoreBringsBackEachRecordedWindowWithDefaultsAndGoesOnAfterAFailure)
{
    test::ScriptedMessenger messenger;
    session().setMessenger(&messenger);
    QTemporaryDir tmp;
    const QString outline = QDir(tmp.path()).filePath(QStringLiteral("garden.qbo"));
    ASSERT_TRUE(files::writeTextFile(outline, QStringLiteral("[x]\n")));
    IniFile ini;
    ini.writeBool("WINDOWS UP", "Proj_1_exists", true);
    ini.writeBool("WINDOWS UP", "Proj_2_exists", true);
    ini.writeBool("WINDOWS UP", "Proj_3_exists", true);
    ini.writeBool("WINDOWS UP", "Proj_11_exists", true);
    ini.writeInteger("WINDOW SIZES", "Proj_2_Left", 40);
    ini.writeInteger("WINDOW SIZES", "Proj_2_Top", 60);
    ini.writeInteger("WINDOW SIZES", "Proj_2_Height", 300);
    ini.writeInteger("WINDOW SIZES", "Proj_2_width", 200);
    ini.writeString("SAVEDWORK", "OutlineName_2", outline);
    ini.writeString("SAVEDWORK", "OutlineName_3", QDir(tmp.path()).filePath("gone.qbo"));
    ini.writeString("SAVEDWORK", "SelectedProjTag_2", "ROSES");
    ini.writeInteger("SAVEDWORK", "ProjSortOrder_2", 3);
    ini.writeInteger("SAVEDWORK", "ProjSideUp_2", 2);
    ini.writeInteger("SAVEDWORK", "ProjSideUp_3", 7);
    ini.writeString("SAVEDWORK", "ProjectSelected_2", QString(60, QLatin1Char('P')));
    ini.writeBool("WINDOWS UP", "Dict_5_exists", true);
    ini.writeInteger("SAVEDWORK", "DictSortOrder_5", 2);

    std::vector<ProjectWindowRestore> projects;
    std::vector<DictionaryWindowRestore> dicts;
    WindowLayoutHooks hooks;
    hooks.openProjectWindow = [&](const ProjectWindowRestore& w) {
        projects.push_back(w);
        return w.number != 1;  // the first window fails as a whole
    };
    hooks.openDictionaryWindow = [&](const DictionaryWindowRestore& w) {
        dicts.push_back(w);
        return true;
    };
    Settings settings;
    RestoreWindowLayout(ini, settings, 1280, 29, hooks);

    ASSERT_EQ(projects.size(), 3u) << "slots 1 to 10 only";
    EXPECT_EQ(projects[0].geometry, QRect(1280 - 28 - 220 - 24, 12 + 29, 0, 0))
        << "defaults; own size";
    EXPECT_EQ(projects[1].geometry, QRect(40, 60, 200, 300));
    EXPECT_EQ(projects[1].outlineFile, outline);
    EXPECT_EQ(projects[1].selectedTag, QStringLiteral("ROSES"));
    EXPECT_EQ(projects[1].sortOrder, 3);
    EXPECT_EQ(projects[1].sideUp, 2);
    EXPECT_EQ(projects[1].selectedProject.size(), 50);
    EXPECT_EQ(projects[2].number, 3);
    EXPECT_TRUE(projects[2].outlineFile.isEmpty()) << "a missing outline file is not loaded";
    EXPECT_EQ(projects[2].sideUp, -1) << "an unknown display mode is left alone";
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0], QStringLiteral("Window upload failed"));

    ASSERT_EQ(dicts.size(), 1u);
    EXPECT_EQ(dicts[0].number, 5);
    EXPECT_EQ(dicts[0].geometry.topLeft(), QPoint(1280 - 28 - 220 - 24 + 24, 12 + 29 + 28));
    EXPECT_EQ(dicts[0].sortOrder, 2);
    session().setMessenger(nullptr);
}

TEST(WindowLayout, SaveRecordsTenProjectAndFiveDictionaryWindowsAndClearsTheOldSlots)
{
    QTemporaryDir tmp;
    IniFile ini;
    ini.writeBool("WINDOWS UP", "Proj_9_exists", true);
    ini.writeString("SAVEDWORK", "OutlineName_9", "old.qbo");
    ini.writeBool("WINDOWS UP", "Dict_4_exists", true);

    QStringList savedTo;
    std::vector<ProjectWindowRecord> projects;
    for (int i = 0; i < 12; ++i) {
        ProjectWindowRecord r;
        r.geometry = QRect(10 * i, 20 * i, 200 + i, 300 + i);
        r.outlineId = i == 1 ? QStringLiteral("../escape") : QStringLiteral("P%1").arg(i);
        r.saveOutline = [&savedTo](const QString& path) {
            savedTo << path;
            return true;
        };
        r.filterTag = i == 0 ? QStringLiteral("ROSES") : QString();
        r.sortOrder = i;
        r.sideUp = i % 3;
        r.selectedProject = QStringLiteral("GARDEN");
        projects.push_back(r);
    }
    WindowLayoutHooks hooks;
    hooks.projectWindows = [&] {
        return std::vector<ProjectWindowRecord>(projects.begin(), projects.begin() + 2);
    };
    hooks.dictionaryWindows = [] {
        std::vector<DictionaryWindowRecord> d(6);
        for (int i = 0; i < 6; ++i) d[i] = {QRect(i, i, 100, 100), i + 1};
        return d;
    };
    SaveWindowLayout(ini, hooks, tmp.path());

    EXPECT_TRUE(ini.readBool("WINDOWS UP", "Proj_1_exists", false));
    EXPECT_TRUE(ini.readBool("WINDOWS UP", "Proj_2_exists", false));
    EXPECT_FALSE(ini.readBool("WINDOWS UP", "Proj_9_exists", true))
        << "the slot of the last save is cleared";
    EXPECT_EQ(ini.readString("SAVEDWORK", "OutlineName_9", "x"), QString());
    EXPECT_EQ(ini.readInteger("WINDOW SIZES", "Proj_2_width", 0), 201);
    EXPECT_EQ(ini.readString("SAVEDWORK", "SelectedProjTag_1", ""), QStringLiteral("ROSES"));
    EXPECT_EQ(ini.readString("SAVEDWORK", "ProjectSelected_2", ""), QStringLiteral("GARDEN"));
    EXPECT_EQ(ini.readInteger("SAVEDWORK", "ProjSideUp_2", -1), 1);
    ASSERT_EQ(savedTo.size(), 2);
    EXPECT_EQ(savedTo[0], QDir(tmp.path()).filePath("P0.qbo"));
    EXPECT_EQ(QFileInfo(savedTo[1]).absolutePath(), QDir(tmp.path()).absolutePath())
        << "stays in the outline folder";
    EXPECT_EQ(ini.readString("SAVEDWORK", "OutlineName_1", ""), savedTo[0]);

    hooks.projectWindows = [&] { return projects; };
    SaveWindowLayout(ini, hooks, tmp.path());
    EXPECT_TRUE(ini.readBool("WINDOWS UP", "Proj_10_exists", false));
    EXPECT_FALSE(ini.hasKey("WINDOWS UP", "Proj_11_exists"))
        << "windows beyond ten are not recorded";
    EXPECT_TRUE(ini.readBool("WINDOWS UP", "Dict_5_exists", false));
    EXPECT_FALSE(ini.hasKey("WINDOWS UP", "Dict_6_exists"));
    EXPECT_EQ(ini.readInteger("SAVEDWORK", "DictSortOrder_5", 0), 5);
    EXPECT_TRUE(ini.readBool("WINDOWS UP", "Dict_4_exists", false));
}

TEST_F(Startup, SecondCopyOnTheSameStoreAsksTheFirstToComeForward)
{
    ASSERT_TRUE(CheckProgramEntry(dir()).ok);
    SingleInstanceGuard first(dir());
    ASSERT_TRUE(first.acquire());
    bool raised = false;
    QEventLoop loop;
    QObject::connect(&first, &SingleInstanceGuard::raiseRequested, &loop, [&] {
        raised = true;
        loop.quit();
    });
    SingleInstanceGuard second(dir());
    EXPECT_FALSE(second.acquire());
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(raised);

    // Another store is another program.
    QTemporaryDir other;
    SingleInstanceGuard elsewhere(other.path());
    EXPECT_TRUE(elsewhere.acquire());
}

// A lock file that cannot be made is not another running copy: the start says what is wrong.
TEST_F(Startup, AStoreDirectoryThatCannotBeWrittenIsNamedNotTakenForASecondCopy)
{
    SingleInstanceGuard gone(sub("no-such-directory"));
    EXPECT_FALSE(gone.acquire());
    EXPECT_FALSE(gone.problem().isEmpty());

    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    messenger.expect(QStringLiteral("cannot write in"));
    const QString store = sub("read-only");
    ASSERT_TRUE(CheckProgramEntry(store).ok);
    QFile::setPermissions(store, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QStringList before = QDir(store).entryList(QDir::AllEntries | QDir::Hidden);
    DesktopStart start = StartDesktopProgram({"quillbox", "--dir", store});
    QFile::setPermissions(store,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(start.window);
    EXPECT_EQ(start.exitCode, 1);
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(messenger.plain[0].contains(QStringLiteral("cannot write in")))
        << messenger.plain[0].toStdString();
    EXPECT_EQ(QDir(store).entryList(QDir::AllEntries | QDir::Hidden), before);
}

TEST_F(Startup, DesktopStartOpensAFreshStoreAndRefusesAForeignDirectory)
{
    messenger.expect(QStringLiteral("Data base missing"));
    const QString store = sub("fresh");
    {
        DesktopStart start = StartDesktopProgram({"quillbox", "--dir", store});
        ASSERT_TRUE(start.window) << messenger.texts().join("|").toStdString();
        EXPECT_EQ(start.exitCode, 0);
        EXPECT_TRUE(session().store.isOpen());
        EXPECT_EQ(QDir::currentPath(), QDir(store).absolutePath());
        EXPECT_TRUE(QFileInfo::exists(QDir(store).filePath("qb.ini")));
        EXPECT_TRUE(QFileInfo::exists(QDir(store).filePath("export.sh")));
        EXPECT_TRUE(QFileInfo::exists(QDir(store).filePath("BDE_SysInfo.txt")));
        EXPECT_EQ(messenger.count(), 0) << messenger.texts().join("|").toStdString();

        // While it runs, a second start on the same store ends at once without a window.
        DesktopStart again = StartDesktopProgram({"quillbox", "--dir", store});
        EXPECT_FALSE(again.window);
        EXPECT_EQ(again.exitCode, 0);
        session().store.close();
    }

    const QString foreign = sub("foreign");
    ASSERT_TRUE(QDir().mkpath(foreign));
    ASSERT_TRUE(files::writeTextFile(QDir(foreign).filePath("notes.txt"), "x"));
    DesktopStart refused = StartDesktopProgram({"quillbox", "--dir", foreign});
    EXPECT_FALSE(refused.window);
    EXPECT_EQ(refused.exitCode, 1);
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0], QStringLiteral("Data base missing"));
    EXPECT_EQ(QDir(foreign).entryList(QDir::Files | QDir::Hidden), QStringList{"notes.txt"});

    DesktopStart usage = StartDesktopProgram({"quillbox", "--size", "9"});
    EXPECT_FALSE(usage.window);
    EXPECT_EQ(usage.exitCode, 2);
}

// The real program, on the offscreen platform: a fresh store, a second copy that ends at once,
// and an orderly end on a termination request.
TEST_F(Startup, ProgramStartsOnAFreshStoreAndEndsInOrder)
{
    const QString store = sub("program");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QUILLBOX_DESKTOP_PATH), {QStringLiteral("--dir"), store});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Running once the layout of the first activation is there (the folders come with it).
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo(QDir(store).filePath("outltxt")).isDir() && waited.elapsed() < 30000)
        program.waitForFinished(100);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(store).filePath("ITEM.DB")));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(QUILLBOX_DESKTOP_PATH), {QStringLiteral("--dir"), store});
    ASSERT_TRUE(second.waitForFinished(20000)) << "a second copy ends by itself";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(program.state(), QProcess::Running);

    program.terminate();
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    IniFile ini(QDir(store).filePath("qb.ini"));
    EXPECT_TRUE(ini.hasKey("WINDOW SIZES", "ClientWidth"))
        << "the settings were written back at the end";
    EXPECT_FALSE(QFileInfo::exists(QDir(store).filePath(".quillbox.lock")));
}
