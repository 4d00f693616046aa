#include "floor/Settings.h"

#include "platform/IniFile.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QFile>

#include <unistd.h>

using namespace qb;

class SettingsFile : public test::StoreFixture {
protected:
    Settings& s() { return session().settings; }
    IniFile ini() { return IniFile(session().iniPath()); }
    QByteArray fileBytes()
    {
        QFile f(session().iniPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

TEST_F(SettingsFile, MissingFileStartsWithDefaultsAndGainsTheLoadKeys)
{
    ASSERT_TRUE(ReadIniFile());
    EXPECT_EQ(s().machineIndex, 100);
    EXPECT_EQ(s().itemSlotsUsable(), 100);
    EXPECT_EQ(s().conceptSlotsUsable(), 50);
    EXPECT_EQ(s().cardSideUp, 2);
    EXPECT_EQ(s().horizontal, 24);
    EXPECT_EQ(s().dateFormat, QStringLiteral("yy-mm-dd"));
    EXPECT_EQ(messenger.plain.size(), 0u);
    IniFile written = ini();
    EXPECT_EQ(written.readInteger(QStringLiteral("SYSTEM"), QStringLiteral("MachineIndex"), 0),
              100);
    EXPECT_TRUE(written.hasKey(QStringLiteral("COLORS"), QStringLiteral("BackgrColor")));
    EXPECT_TRUE(written.hasKey(QStringLiteral("LIMITS"), QStringLiteral("FadedGreyRGB")));
    EXPECT_EQ(written.readString(QStringLiteral("STACKLOCATIONS"), QStringLiteral("Name_1"), {}),
              QStringLiteral("Upper Right Corner"));
    EXPECT_FALSE(written.hasKey(QStringLiteral("WINDOW SIZES"), QStringLiteral("ItemWidth")))
        << "an exit key";
}

TEST_F(SettingsFile, GreyLevelsAreNormalised)
{
    struct Case {
        int base, faded, wantBase, wantFaded;
    };
    for (Case c : {Case{99, 240, 192, 240}, Case{221, 240, 192, 240}, Case{192, 195, 192, 240},
                   Case{192, 210, 192, 210}, Case{192, 241, 192, 240}, Case{150, 165, 150, 165}}) {
        writeIni(
            QStringLiteral("[LIMITS]\nBaseGreyRGB=%1\nFadedGreyRGB=%2\n").arg(c.base).arg(c.faded));
        ASSERT_TRUE(ReadIniFile());
        EXPECT_EQ(s().baseGreyRGB, c.wantBase) << c.base << "/" << c.faded;
        EXPECT_EQ(s().fadedGreyRGB, c.wantFaded) << c.base << "/" << c.faded;
        EXPECT_EQ(ini().readInteger(QStringLiteral("LIMITS"), QStringLiteral("FadedGreyRGB"), 0),
                  c.wantFaded);
    }
}

TEST_F(SettingsFile, MachineIndexSetsClampedCardLimits)
{
    struct Case {
        int index, items, concepts;
    };
    for (Case c : {Case{10, 30, 20}, Case{35, 35, 20}, Case{100, 100, 50}, Case{500, 200, 100}}) {
        writeIni(QStringLiteral("[SYSTEM]\nMachineIndex=%1\n").arg(c.index));
        ASSERT_TRUE(ReadIniFile());
        EXPECT_EQ(s().itemSlotsUsable(), c.items) << c.index;
        EXPECT_EQ(s().conceptSlotsUsable(), c.concepts) << c.index;
    }
    writeIni(QStringLiteral("[SYSTEM]\nIsWindows95=1\n"));
    ASSERT_TRUE(ReadIniFile());
    EXPECT_EQ(s().machineIndex, 35) << "Windows 95 mode selects the lower default";
}

TEST_F(SettingsFile, TickSpeedFactorSetsTheDragStepAndIsWrittenBackOnlyWhenUsed)
{
    writeIni(QStringLiteral("[SYSTEM]\nTickspeedfactor=0.5\n"));
    ASSERT_TRUE(ReadIniFile());
    EXPECT_DOUBLE_EQ(s().dragStepSeconds, 0.05);
    QFile::remove(session().iniPath());
    ASSERT_TRUE(WriteBackIniFile());
    EXPECT_EQ(ini().readString(QStringLiteral("SYSTEM"), QStringLiteral("Tickspeedfactor"), {}),
              QStringLiteral("0.5"));

    writeIni(QStringLiteral("[SYSTEM]\nTickspeedfactor=1\n"));
    ASSERT_TRUE(ReadIniFile());
    EXPECT_DOUBLE_EQ(s().dragStepSeconds, 0.02);
    QFile::remove(session().iniPath());
    ASSERT_TRUE(WriteBackIniFile());
    EXPECT_FALSE(ini().hasKey(QStringLiteral("SYSTEM"), QStringLiteral("Tickspeedfactor")));
}

TEST_F(SettingsFile, HtmlHeaderDepthOutsideOneToSixKeepsThree)
{
    writeIni(QStringLiteral("[TEXTOUTPUT]\nHTMLheaderformatdepth=9\n"));
    ASSERT_TRUE(ReadIniFile());
    EXPECT_EQ(s().htmlHeaderFormatDepth, 3);
    writeIni(QStringLiteral("[TEXTOUTPUT]\nHTMLheaderformatdepth=5\n"));
    ASSERT_TRUE(ReadIniFile());
    EXPECT_EQ(s().htmlHeaderFormatDepth, 5);
}

TEST_F(SettingsFile, VerboseModeIsStoredInvertedAsQuiet)
{
    ASSERT_TRUE(ReadIniFile());
    EXPECT_TRUE(ToggleMark(OptionToggle::VerboseMode));
    EXPECT_FALSE(ApplyToggle(OptionToggle::VerboseMode));
    EXPECT_TRUE(s().quiet);
    EXPECT_EQ(ini().readString(QStringLiteral("SYSTEM"), QStringLiteral("Quiet"), {}),
              QStringLiteral("1"));
}

TEST_F(SettingsFile, OutlineTogglesKeepEachOtherConsistent)
{
    ASSERT_TRUE(ReadIniFile());
    EXPECT_TRUE(ApplyToggle(OptionToggle::OutlineAsHtml));
    EXPECT_TRUE(s().washTexts) << "HTML output needs the comment lines removed";
    EXPECT_FALSE(ApplyToggle(OptionToggle::RemoveComments));
    EXPECT_FALSE(s().html);
    EXPECT_FALSE(ini().readBool(QStringLiteral("TEXTOUTPUT"), QStringLiteral("HTML"), true));
}

TEST_F(SettingsFile, SaveToIniFileOnExitOffLeavesTheFileAsItWas)
{
    writeIni(QStringLiteral("[SYSTEM]\nSaveToIniFileOnExit=0\n"));
    ASSERT_TRUE(ReadIniFile());
    QByteArray afterLoad = fileBytes();
    s().itemWidth = 400;
    s().cardSideUp = 0;
    ASSERT_TRUE(WriteBackIniFile());
    EXPECT_EQ(fileBytes(), afterLoad);
}

TEST_F(SettingsFile, ExitWriteBackStoresTheExitKeys)
{
    ASSERT_TRUE(ReadIniFile());
    s().itemWidth = 400;
    s().cardSideUp = 3;
    ASSERT_TRUE(WriteBackIniFile());
    EXPECT_EQ(ini().readInteger(QStringLiteral("WINDOW SIZES"), QStringLiteral("ItemWidth"), 0),
              400);
    EXPECT_EQ(ini().readInteger(QStringLiteral("APPEARANCE"), QStringLiteral("CardSideUp"), 0), 3);
    session().flags.requestStop();
    s().itemWidth = 111;
    ASSERT_TRUE(WriteBackIniFile());
    EXPECT_EQ(ini().readInteger(QStringLiteral("WINDOW SIZES"), QStringLiteral("ItemWidth"), 0),
              400)
        << "nothing is written back while the stop flag is set";
}

TEST_F(SettingsFile, ANonNumericOffsetEndsTheLoadWithTheStatedMessage)
{
    messenger.expect(QStringLiteral("Bad value of Horizontal"));
    writeIni(QStringLiteral(
        "[LIMITS]\nFindBatchSize=9\n[WINDOW OFFSETS]\nHorizontal=abc\n[SYSTEM]\nMachineIndex=50\n"));
    s().machineIndex = 77;
    EXPECT_FALSE(ReadIniFile());
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(
        messenger.plain[0].contains(QStringLiteral("Errors in QB.ini file .. on start up")));
    EXPECT_EQ(s().findBatchSize, 9) << "values read before the bad one stay";
    EXPECT_EQ(s().machineIndex, 77) << "values after it keep their previous value";
}

TEST_F(SettingsFile, GarbageFileNeverCrashesAndGivesDefaults)
{
    QByteArray junk;
    for (int i = 0; i < 4000; ++i) junk.append(char((i * 7919) % 256));
    QFile f(session().iniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(junk);
    f.write("\n[COLORS]\nBackgrColor=blue\n[WINDOW SIZES]\nTextHeightPerCentInCombined=lots\n");
    f.close();
    ReadIniFile();
    EXPECT_EQ(s().backgrColor, 4194304);
    EXPECT_DOUBLE_EQ(s().textHeightShareInCombined, 0.85);
}

TEST_F(SettingsFile, MergeWordsIsClearedUnlessQuietAndProjHintColorDiffersFromOutline)
{
    writeIni(QStringLiteral(
        "[SYSTEM]\nMergeWords=1\nQuiet=0\n[COLORS]\nOutlineBaseColor=123\nProjHintColor=123\n"));
    ASSERT_TRUE(ReadIniFile());
    EXPECT_FALSE(s().mergeWords);
    EXPECT_EQ(s().projHintColor, 15466238);
    writeIni(QStringLiteral("[SYSTEM]\nMergeWords=1\nQuiet=1\n"));
    ASSERT_TRUE(ReadIniFile());
    EXPECT_TRUE(s().mergeWords);
}

TEST_F(SettingsFile, ARereadInsideASecondDoesNotRepeatItsTimestamps)
{
    ASSERT_TRUE(ReadIniFile());
    GetQBTS();
    const Timestamp second = GetQBTS();
    ASSERT_TRUE(ReadIniFile());
    EXPECT_LT(GetQBTS(), second);
}

TEST_F(SettingsFile, AToggleLeavesASettingsFileThatCannotBeReadAlone)
{
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    messenger.expect(QStringLiteral("cannot be read"));
    writeIni(QStringLiteral("[SYSTEM]\nMachineIndex=50\n"));
    QFile::setPermissions(session().iniPath(), QFileDevice::WriteOwner);
    bool quickFlip = s().quickFlip;
    ApplyToggle(OptionToggle::QuickFlip);
    QFile::setPermissions(session().iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(fileBytes(), QByteArray("[SYSTEM]\nMachineIndex=50\n"));
    EXPECT_NE(s().quickFlip, quickFlip) << "the setting still changes for this run";
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(messenger.plain[0].contains(QStringLiteral("cannot be read")));
}
