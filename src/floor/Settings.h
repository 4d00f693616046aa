#pragma once

#include <QString>

#include <array>
#include <functional>

namespace qb {

class IniFile;

struct StackLocation {
    QString name;
    int x = 30;
    int y = 30;
};

struct XmlTarget {
    QString name;
    QString dir;
};

// Every setting of qb.ini, held in memory for the run after loading. Defaults are those of a new
// installation; ReadIniFile normalises what it reads.
struct Settings {
    // [APPEARANCE]
    QString wallPaperFileName;
    bool keepGarbageCan = true;
    bool flyWordClick = true;
    bool showKeysOnDrag = false;
    bool outlineDblClick = false;
    int cardSideUp = 2;  // 0 keywords, 1 projects, 2 text, 3 combined
    bool showItemDateAsHint = false;
    bool turnCardsImm = false;
    bool associatedCards = true;
    bool extraFeatures = false;
    bool useSendBackCorner = false;
    bool useBringToFrontCorner = false;
    bool selectMarkFoundCards = false;
    bool plusMinusExplodeSign = false;
    bool quickFlip = false;

    // [LIMITS]
    int findBatchSize = 5;
    int scheduledItemsTimeOut = 30;
    int delayBetweenBackups = 0;
    int ageFadeAwayInMonths = 0;
    int baseGreyRGB = 192;
    int fadedGreyRGB = 240;

    // [TEXTOUTPUT]
    bool washTexts = false;
    bool html = false;
    QString qbAuthor;
    QString cssLine;
    int htmlHeaderFormatDepth = 3;

    // [FUNCTIONS]
    int itemExpansionOnDrop = 0;  // -1, 0 or 1

    // [COLORS]
    int itemFrameColor = -2147483633;
    int itemTextTableColor = 15793151;
    int itemKeyTableColor = 15780004;
    int itemProjTableColor = 12639424;
    int itemTextFontColor = 0;
    int itemKeyFontColor = 8388608;
    int itemProjFontColor = 8388608;
    int synFrameColor = 15780004;
    int synTableColor = -2147483643;
    int synFontColor = 8388608;
    int projFrameColor = 8421504;
    int projTableColor = 12639424;
    int projFontColor = 0;
    int outlineBaseColor = 12639424;
    int projHintColor = 15466238;
    int inflFrameColor = 15780004;
    int inflTableColor = 8421504;
    int inflFontColor = 0;
    int flywFrameColor = 255;
    int flywTableColor = 65535;
    int flywFontColor = -2147483640;
    int dictFrameColor = 16776960;
    int dictTableColor = 15780004;
    int dictFontColor = 0;
    int itemSlctColor = 8421504;
    int newItemColor = 13492962;
    int backgrColor = 4194304;
    int mapBackgrColor = 8421440;

    // [WINDOW SIZES]
    int synWheelHeight = 72;
    int synWheelWidth = 160;
    int itemHeight = 190;
    int itemWidth = 213;
    int altItemHeight = 360;
    int altItemWidth = 480;
    int clientHeight = 520;
    int clientWidth = 780;
    int clientTop = 0;
    int clientLeft = 0;
    bool clientMaximized = false;  // the size and place above are then those of the normal window
    int bookWidth = 380;
    int appWindowScrollbarWidth = 15;
    double textHeightShareInCombined = 0.85;
    double textWidthShareInCombined = 0.70;

    // [WINDOW OFFSETS]
    int horizontal = 24;
    int vertical = 28;
    int generalOffsetSideBorder = 28;
    int generalOffsetTopBorder = 12;
    int generalOffsetBottomBorder = 48;
    int createSpotTX = 220;
    int createSpotTY = 102;
    int createSpotIX = 128;
    int createSpotIY = 128;
    int createSpotSX = 64;
    int createSpotSY = 96;
    int popSpotSX = 224;
    int popSpotSY = 64;
    int popSpotIX = 192;
    int popSpotIY = 64;
    int popSpotZX = 400;
    int popSpotZY = 64;
    int bookLeft = 4;
    int conceptWinExtraOffsetHoriz = 80;

    // [SYSTEM]
    int waitInSecBeforeCloseUneditedQBTxt = 2;
    bool isWindows95 = false;
    bool audioEnabled = true;
    bool sharedModeWarning = true;
    int machineIndex = 100;
    double tickSpeedFactor = 0.2;  // the factor in use; 0.2 unless the file gives 0.04 < f < 1
    double dragStepSeconds = 0.02;
    bool quiet = false;
    bool mergeWords = false;
    int hintPauseLength = 3000;
    bool alwaysShowSystemInfo = false;
    QString dateFormat = QStringLiteral("yy-mm-dd");
    QChar dateSeparator = QLatin1Char('/');
    QString invariantBackupFilename;
    QString extraTextExtAllowed = QStringLiteral("*INI*BAT*");
    std::array<XmlTarget, 3> xmlTargets;
    int usableXmlTargets = 0;
    QString xmlCharSet = QStringLiteral("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>");
    int dictLocateDelay = 640;
    bool saveToIniFileOnExit = true;

    // [HELPER APPS]
    QString textEditor = QStringLiteral("xdg-open");
    QString fileHandler = QStringLiteral("xdg-open");
    QString webBrowser = QStringLiteral("xdg-open");
    int netscapeUsed = 0;

    // [WORD PROCESSING]
    QString tempTxtFileName = QStringLiteral("QB.txt");

    // [STACKLOCATIONS]
    std::array<StackLocation, 7> stackLocations = defaultStackLocations();

    // Card limits that follow from MachineIndex.
    int itemSlotsUsable() const;
    int conceptSlotsUsable() const;

    static std::array<StackLocation, 7> defaultStackLocations();
};

// Loads every key of qb.ini into the run's settings, normalises, writes back the keys that are
// kept up to date while loading, and resets the run's transient state. False (after the stated
// message) when the file had an error; the values read up to that point stay.
bool ReadIniFile();
// Writes the keys saved at exit; nothing while the stop flag is set or when saving is off.
bool WriteBackIniFile();

// Loads from an explicit file into a record (the part of ReadIniFile that tests use directly).
// Returns false at the first bad value, leaving the rest at their previous values.
bool LoadSettings(IniFile& ini, Settings& settings, QString* error);
void SaveExitSettings(IniFile& ini, const Settings& settings);

// Transient counters of other subsystems that a settings load resets.
void RegisterTransientReset(std::function<void()> reset);

// A program "exists" when it is an existing path or is found on PATH.
bool ProgramExists(const QString& program);

// The option toggles: each flips its setting, stores it at once and returns the new mark.
enum class OptionToggle {
    QuickFlip,
    BringToFrontCorner,
    SendBackCorner,
    FlyWordClick,
    VerboseMode,     // stored inverted, as [SYSTEM] Quiet
    RemoveComments,  // [TEXTOUTPUT] Washtexts
    OutlineAsHtml,   // [TEXTOUTPUT] HTML
    MergeWords,
    Windows95,
};
bool ApplyToggle(OptionToggle toggle);
// The check mark a toggle shows for the current settings.
bool ToggleMark(OptionToggle toggle);

}  // namespace qb
