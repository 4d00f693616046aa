#include "platform/IniFile.h"

#include "platform/FileNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <csignal>

using qb::IniFile;

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes)
{
    QString path = dir.filePath(QStringLiteral("qb.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

}  // namespace

TEST(IniFile, HandEditedFileWithOddCaseSpacingAndCrLf)
{
    QTemporaryDir dir;
    QString path = writeFile(
        dir,
        "; comment\r\n[system]\r\n  quiet =  1 \r\n\r\n[Window Sizes]\r\nItemWidth=  250\r\n"
        "[APPEARANCE]\rQuickFlip=0\rWallPaper_BMP_FileName=\"my wall.bmp\"\r");
    IniFile ini(path);
    EXPECT_TRUE(ini.readBool(QStringLiteral("SYSTEM"), QStringLiteral("Quiet"), false));
    EXPECT_EQ(ini.readInteger(QStringLiteral("WINDOW SIZES"), QStringLiteral("itemwidth"), 0), 250);
    EXPECT_FALSE(ini.readBool(QStringLiteral("appearance"), QStringLiteral("QUICKFLIP"), true));
    EXPECT_EQ(
        ini.readString(QStringLiteral("APPEARANCE"), QStringLiteral("WallPaper_BMP_FileName"), {}),
        QStringLiteral("my wall.bmp"));
    EXPECT_EQ(ini.readInteger(QStringLiteral("SYSTEM"), QStringLiteral("Missing"), 42), 42);
}

TEST(IniFile, WritingAKeyKeepsEveryOtherLineAndTheLineBreakStyle)
{
    QTemporaryDir dir;
    QString path = writeFile(
        dir,
        "; my notes\r\n[SYSTEM]\r\nQuiet=0\r\nOther=keep me\r\n\r\n[LIMITS]\r\nFindBatchSize=5\r\n");
    IniFile ini(path);
    ini.writeBool(QStringLiteral("system"), QStringLiteral("QUIET"), true);
    ini.writeInteger(QStringLiteral("SYSTEM"), QStringLiteral("MachineIndex"), 35);
    ini.writeString(QStringLiteral("NEW SECTION"), QStringLiteral("Key"), QStringLiteral("v"));
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(
        readFile(path),
        QByteArray("; my notes\r\n[SYSTEM]\r\nQuiet=1\r\nOther=keep me\r\nMachineIndex=35\r\n\r\n"
                   "[LIMITS]\r\nFindBatchSize=5\r\n\r\n[NEW SECTION]\r\nKey=v\r\n"));
}

TEST(IniFile, GarbageValuesGiveDefaultsAndLongValuesAreCut)
{
    QTemporaryDir dir;
    QByteArray longValue(5000, 'x');
    QString path =
        writeFile(dir, "[S]\nN=12abc\nB=yes\nH=0x1F\nNeg=-7\nHuge=99999999999\nL=" + longValue +
                           "\n\x01\x02garbage\n=novalue\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("N"), 3), 3);
    EXPECT_TRUE(ini.readBool(QStringLiteral("S"), QStringLiteral("B"), true));
    EXPECT_FALSE(ini.readBool(QStringLiteral("S"), QStringLiteral("B"), false));
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("H"), 0), 31);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("Neg"), 0), -7);
    EXPECT_EQ(ini.readInteger(QStringLiteral("S"), QStringLiteral("Huge"), 1), 1);
    EXPECT_EQ(ini.readString(QStringLiteral("S"), QStringLiteral("L"), {}).size(),
              IniFile::kMaxValueLength);
}

TEST(IniFile, AnIntegerHasOneSignAndFitsAnInt)
{
    EXPECT_EQ(IniFile::parseInteger(QStringLiteral("-2147483648")), INT_MIN);
    EXPECT_EQ(IniFile::parseInteger(QStringLiteral("-$80000000")), INT_MIN);
    EXPECT_EQ(IniFile::parseInteger(QStringLiteral("2147483647")), INT_MAX);
    EXPECT_EQ(IniFile::parseInteger(QStringLiteral(" +0x1f ")), 31);
    for (const char* bad : {"--5", "-+5", "+-5", "$-5", "0x-5", "0x0x5", "- 5", "2147483648",
                            "-2147483649", "--9223372036854775808", "$80000000"})
        EXPECT_EQ(IniFile::parseInteger(QString::fromLatin1(bad)), std::nullopt) << bad;
}

TEST(IniFile, MissingFileIsEmptyAndTheFirstWriteCreatesIt)
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("qb.ini"));
    EXPECT_EQ(IniFile::readStringOnce(path, QStringLiteral("A"), QStringLiteral("B"),
                                      QStringLiteral("def")),
              QStringLiteral("def"));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(IniFile::writeIntegerOnce(path, QStringLiteral("A"), QStringLiteral("B"), 5));
    EXPECT_EQ(IniFile(path).readInteger(QStringLiteral("a"), QStringLiteral("b"), 0), 5);
}

TEST(FileNames, NamesAreMatchedWithoutRegardToCase)
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("qb.ini")));
    f.open(QIODevice::WriteOnly);
    f.close();
    EXPECT_EQ(qb::files::resolve(dir.path(), QStringLiteral("QB.INI")),
              dir.filePath(QStringLiteral("qb.ini")));
    EXPECT_TRUE(qb::files::exists(dir.path(), QStringLiteral("Qb.Ini")));
    EXPECT_EQ(qb::files::resolve(dir.path(), QStringLiteral("ITEM.DB")),
              dir.filePath(QStringLiteral("ITEM.DB")));
}

// A write that fails part-way (here the file-size limit, as a full disk would) must leave the old
// file as it was and say so; nothing half-written may take its place.
TEST(FileReplacement, AFailedWriteKeepsTheOldFileAndSaysWhy)
{
    QTemporaryDir dir;
    QString path = writeFile(dir, "old settings\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    bool written = qb::files::writeBytesFile(path, QByteArray(4000, 'x'), &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(path), QByteArray("old settings\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("qb.ini")})
        << "no temporary copy is left behind";
}

TEST(FileReplacement, AFullDiskIsNamed)
{
    int fd = ::open("/dev/full", O_WRONLY);
    if (fd < 0) GTEST_SKIP() << "no /dev/full";
    QString error;
    EXPECT_FALSE(qb::files::writeAll(fd, QByteArray(100000, 'x'), &error));
    ::close(fd);
    EXPECT_EQ(error, QStringLiteral("the disk is full"));
}

TEST(IniFile, AFileThatCannotBeReadIsNeverSavedOver)
{
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    QTemporaryDir dir;
    QString path = writeFile(dir, "[SYSTEM]\nQuiet=1\nMachineIndex=50\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    IniFile ini;
    EXPECT_FALSE(ini.load(path));
    ini.writeBool(QStringLiteral("APPEARANCE"), QStringLiteral("QuickFlip"), true);
    QString error;
    EXPECT_FALSE(ini.save(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot be read")));
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readFile(path), QByteArray("[SYSTEM]\nQuiet=1\nMachineIndex=50\n"));
}

TEST(IniFile, ASectionWrittenInOnePassReadsAsKeyByKey)
{
    const std::vector<std::pair<QString, QString>> entries = {
        {"One", "1"}, {"Two", "a\nb"}, {"one", "again"}, {"Three", ""}};
    IniFile single, bulk;
    single.writeString(QStringLiteral("S"), QStringLiteral("Kept"), QStringLiteral("x"));
    bulk.writeString(QStringLiteral("S"), QStringLiteral("Kept"), QStringLiteral("x"));
    for (const auto& [key, value] : entries) single.writeString(QStringLiteral("New"), key, value);
    bulk.writeSection(QStringLiteral("New"), entries);
    EXPECT_EQ(bulk.lines(), single.lines());
    // Into a section that exists, key by key.
    bulk.writeSection(QStringLiteral("s"), {{"kept", "y"}, {"Added", "z"}});
    EXPECT_EQ(bulk.entries(QStringLiteral("S")),
              (std::vector<std::pair<QString, QString>>{{"Kept", "y"}, {"Added", "z"}}));
}
