#include "floor/Settings.h"

#include "floor/Messages.h"
#include "floor/RunContext.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <vector>

namespace qb {

namespace {

const QString kAppearance = QStringLiteral("APPEARANCE");
const QString kLimits = QStringLiteral("LIMITS");
const QString kTextOutput = QStringLiteral("TEXTOUTPUT");
const QString kFunctions = QStringLiteral("FUNCTIONS");
const QString kColors = QStringLiteral("COLORS");
const QString kWindowSizes = QStringLiteral("WINDOW SIZES");
const QString kWindowOffsets = QStringLiteral("WINDOW OFFSETS");
const QString kSystem = QStringLiteral("SYSTEM");
const QString kHelperApps = QStringLiteral("HELPER APPS");
const QString kWordProcessing = QStringLiteral("WORD PROCESSING");
const QString kStackLocations = QStringLiteral("STACKLOCATIONS");

std::vector<std::function<void()>>& transientResets()
{
    static std::vector<std::function<void()>> resets;
    return resets;
}

struct ColorKey {
    const char* key;
    int Settings::*field;
};

const std::vector<ColorKey>& colorKeys()
{
    static const std::vector<ColorKey> keys = {
        {"ItemFrameColor", &Settings::itemFrameColor},
        {"ItemTextTableColor", &Settings::itemTextTableColor},
        {"ItemKeyTableColor", &Settings::itemKeyTableColor},
        {"ItemProjTableColor", &Settings::itemProjTableColor},
        {"ItemTextFontColor", &Settings::itemTextFontColor},
        {"ItemKeyFontColor", &Settings::itemKeyFontColor},
        {"ItemProjFontColor", &Settings::itemProjFontColor},
        {"SynFrameColor", &Settings::synFrameColor},
        {"SynTableColor", &Settings::synTableColor},
        {"SynFontColor", &Settings::synFontColor},
        {"ProjFrameColor", &Settings::projFrameColor},
        {"ProjTableColor", &Settings::projTableColor},
        {"ProjFontColor", &Settings::projFontColor},
        {"OutlineBaseColor", &Settings::outlineBaseColor},
        {"ProjHintColor", &Settings::projHintColor},
        {"InflFrameColor", &Settings::inflFrameColor},
        {"InflTableColor", &Settings::inflTableColor},
        {"InflFontColor", &Settings::inflFontColor},
        {"FlywFrameColor", &Settings::flywFrameColor},
        {"FlywTableColor", &Settings::flywTableColor},
        {"FlywFontColor", &Settings::flywFontColor},
        {"DictFrameColor", &Settings::dictFrameColor},
        {"DictTableColor", &Settings::dictTableColor},
        {"DictFontColor", &Settings::dictFontColor},
        {"ItemSlctColor", &Settings::itemSlctColor},
        {"NewItemColor", &Settings::newItemColor},
        {"BackgrColor", &Settings::backgrColor},
        {"MapBackgrColor", &Settings::mapBackgrColor},
    };
    return keys;
}

// A failed read of a key that is held as text ends the load, as the settings service did.
struct LoadError {
    QString key;
};

std::optional<double> parseReal(const QString& text)
{
    QString t = text.trimmed();
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok) v = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

class Reader {
public:
    explicit Reader(IniFile& ini) : ini_(ini) {}

    int integer(const QString& section, const char* key, int def)
    {
        return ini_.readInteger(section, QString::fromLatin1(key), def);
    }
    bool boolean(const QString& section, const char* key, bool def)
    {
        return ini_.readBool(section, QString::fromLatin1(key), def);
    }
    QString text(const QString& section, const char* key, const QString& def)
    {
        return ini_.readString(section, QString::fromLatin1(key), def);
    }
    // "Text holding an integer": a value that is not a number ends the load.
    int integerText(const QString& section, const char* key, int def)
    {
        auto v = ini_.value(section, QString::fromLatin1(key));
        if (!v) return def;
        auto n = IniFile::parseInteger(*v);
        if (!n) throw LoadError{QString::fromLatin1(key)};
        return *n;
    }
    void writeInt(const QString& section, const char* key, int value)
    {
        ini_.writeInteger(section, QString::fromLatin1(key), value);
    }
    void writeBool(const QString& section, const char* key, bool value)
    {
        ini_.writeBool(section, QString::fromLatin1(key), value);
    }
    void writeText(const QString& section, const char* key, const QString& value)
    {
        ini_.writeString(section, QString::fromLatin1(key), value);
    }
    IniFile& ini() { return ini_; }

private:
    IniFile& ini_;
};

void loadAppearance(Reader& r, Settings& s)
{
    s.wallPaperFileName = r.text(kAppearance, "WallPaper_BMP_FileName", s.wallPaperFileName);
    s.keepGarbageCan = r.boolean(kAppearance, "KeepGarbageCan", true);
    s.flyWordClick = r.boolean(kAppearance, "FlyWordClick", true);
    s.showKeysOnDrag = r.boolean(kAppearance, "ShowKeysOnDrag", false);
    s.outlineDblClick = r.boolean(kAppearance, "OutlineDblClick", false);
    r.writeBool(kAppearance, "OutlineDblClick", s.outlineDblClick);
    s.cardSideUp = r.integer(kAppearance, "CardSideUp", 2);
    if (s.cardSideUp < 0 || s.cardSideUp > 3) s.cardSideUp = 2;
    s.showItemDateAsHint = r.boolean(kAppearance, "ShowItemDateAsHint", false);
    r.writeBool(kAppearance, "ShowItemDateAsHint", s.showItemDateAsHint);
    s.turnCardsImm = r.boolean(kAppearance, "TurnCardsImm", false);
    r.writeBool(kAppearance, "TurnCardsImm", s.turnCardsImm);
    s.associatedCards = r.boolean(kAppearance, "AssociatedCards", true);
    r.writeBool(kAppearance, "AssociatedCards", s.associatedCards);
    s.extraFeatures = r.boolean(kAppearance, "ExtraFeatures", false);
    s.useSendBackCorner = r.boolean(kAppearance, "UseSendBackCorner", false);
    s.useBringToFrontCorner = r.boolean(kAppearance, "UseBringtofrontcorner", false);
    s.selectMarkFoundCards = r.boolean(kAppearance, "SelectMarkFoundCards", false);
    s.plusMinusExplodeSign = r.boolean(kAppearance, "PlusMinusExplodeSign", false);
    r.writeBool(kAppearance, "PlusMinusExplodeSign", s.plusMinusExplodeSign);
    s.quickFlip = r.boolean(kAppearance, "QuickFlip", false);
}

void loadLimits(Reader& r, Settings& s)
{
    s.findBatchSize = r.integer(kLimits, "FindBatchSize", 5);
    r.writeInt(kLimits, "FindBatchSize", s.findBatchSize);
    s.scheduledItemsTimeOut = r.integer(kLimits, "ScheduledItemsTimeOut", 30);
    r.writeInt(kLimits, "ScheduledItemsTimeOut", s.scheduledItemsTimeOut);
    s.delayBetweenBackups = r.integer(kLimits, "DelayBetweenBackups", 0);
    r.writeInt(kLimits, "DelayBetweenBackups", s.delayBetweenBackups);
    s.ageFadeAwayInMonths = r.integer(kLimits, "AgeFadeAwayInMonths", 0);
    if (s.ageFadeAwayInMonths < 1) s.ageFadeAwayInMonths = 0;
    r.writeInt(kLimits, "AgeFadeAwayInMonths", s.ageFadeAwayInMonths);
    s.baseGreyRGB = r.integer(kLimits, "BaseGreyRGB", 192);
    if (s.baseGreyRGB > 220 || s.baseGreyRGB < 100) s.baseGreyRGB = 192;
    r.writeInt(kLimits, "BaseGreyRGB", s.baseGreyRGB);
    s.fadedGreyRGB = r.integer(kLimits, "FadedGreyRGB", 240);
    if (s.fadedGreyRGB > 240 || s.fadedGreyRGB < s.baseGreyRGB + 10) s.fadedGreyRGB = 240;
    r.writeInt(kLimits, "FadedGreyRGB", s.fadedGreyRGB);
}

void loadTextOutput(Reader& r, Settings& s)
{
    s.washTexts = r.boolean(kTextOutput, "Washtexts", false);
    s.html = r.boolean(kTextOutput, "HTML", false);
    s.qbAuthor = r.text(kTextOutput, "QBAuthor", QString());
    s.cssLine = r.text(kTextOutput, "CSSline", QString());
    int depth = r.integer(kTextOutput, "HTMLheaderformatdepth", 3);
    s.htmlHeaderFormatDepth = (depth >= 1 && depth <= 6) ? depth : 3;
}

void loadColors(Reader& r, Settings& s)
{
    for (const ColorKey& c : colorKeys())
        s.*(c.field) = r.integer(kColors, c.key, Settings().*(c.field));
    if (s.projHintColor == s.outlineBaseColor) s.projHintColor = 15466238;
}

void loadWindowSizes(Reader& r, Settings& s)
{
    s.synWheelHeight = r.integer(kWindowSizes, "SynWheelHeight", 72);
    s.synWheelWidth = r.integer(kWindowSizes, "SynWheelWidth", 160);
    s.itemHeight = r.integer(kWindowSizes, "ItemHeight", 190);
    s.itemWidth = r.integer(kWindowSizes, "ItemWidth", 213);
    s.altItemHeight = r.integer(kWindowSizes, "AltItemHeight", 360);
    s.altItemWidth = r.integer(kWindowSizes, "AltItemWidth", 480);
    s.clientHeight = r.integer(kWindowSizes, "ClientHeight", 520);
    s.clientWidth = r.integer(kWindowSizes, "ClientWidth", 780);
    s.clientTop = r.integer(kWindowSizes, "ClientTop", 0);
    s.clientLeft = r.integer(kWindowSizes, "ClientLeft", 0);
    s.clientMaximized = r.boolean(kWindowSizes, "ClientMaximized", false);
    s.bookWidth = r.integer(kWindowSizes, "BookWidth", 380);
    s.appWindowScrollbarWidth = r.integer(kWindowSizes, "AppWindowScrollbarWidth", 15);
    // A bad per-cent value is ignored on its own.
    auto share = [&](const char* key, double def) {
        auto n = IniFile::parseInteger(r.text(kWindowSizes, key, QString()));
        return n ? *n / 100.0 : def;
    };
    s.textHeightShareInCombined = share("TextHeightPerCentInCombined", 0.85);
    s.textWidthShareInCombined = share("TextWidthPerCentInCombined", 0.70);
}

void loadWindowOffsets(Reader& r, Settings& s)
{
    s.horizontal = r.integerText(kWindowOffsets, "Horizontal", 24);
    s.vertical = r.integerText(kWindowOffsets, "Vertical", 28);
    s.generalOffsetSideBorder = r.integer(kWindowOffsets, "GeneralOffsetSideBorder", 28);
    s.generalOffsetTopBorder = r.integer(kWindowOffsets, "GeneralOffsetTopBorder", 12);
    s.generalOffsetBottomBorder = r.integer(kWindowOffsets, "GeneralOffsetBottomBorder", 48);
    s.createSpotTX = r.integer(kWindowOffsets, "CreateSpotTX", 220);
    s.createSpotTY = r.integer(kWindowOffsets, "CreateSpotTY", 102);
    s.createSpotIX = r.integer(kWindowOffsets, "CreateSpotIX", 128);
    s.createSpotIY = r.integer(kWindowOffsets, "CreateSpotIY", 128);
    s.createSpotSX = r.integer(kWindowOffsets, "CreateSpotSX", 64);
    s.createSpotSY = r.integer(kWindowOffsets, "CreateSpotSY", 96);
    s.popSpotSX = r.integer(kWindowOffsets, "PopSpotSX", 224);
    s.popSpotSY = r.integer(kWindowOffsets, "PopSpotSY", 64);
    s.popSpotIX = r.integer(kWindowOffsets, "PopSpotIX", 192);
    s.popSpotIY = r.integer(kWindowOffsets, "PopSpotIY", 64);
    s.popSpotZX = r.integer(kWindowOffsets, "PopSpotZX", 400);
    s.popSpotZY = r.integer(kWindowOffsets, "PopSpotZY", 64);
    s.bookLeft = r.integer(kWindowOffsets, "BookLeft", 4);
    s.conceptWinExtraOffsetHoriz = r.integer(kWindowOffsets, "ConceptWinExtraOffsetHoriz", 80);
    r.writeInt(kWindowOffsets, "ConceptWinExtraOffsetHoriz", s.conceptWinExtraOffsetHoriz);
}

void loadSystem(Reader& r, Settings& s)
{
    s.waitInSecBeforeCloseUneditedQBTxt =
        r.integer(kSystem, "WaitinSecBeforeCloseUneditedQBTxt", 2);
    r.writeInt(kSystem, "WaitinSecBeforeCloseUneditedQBTxt", s.waitInSecBeforeCloseUneditedQBTxt);
    s.isWindows95 = r.boolean(kSystem, "IsWindows95", false);
    s.audioEnabled = r.boolean(kSystem, "Audioenabled", true);
    r.writeBool(kSystem, "Audioenabled", s.audioEnabled);
    s.sharedModeWarning = r.boolean(kSystem, "SharedModeWarning", true);
    r.writeBool(kSystem, "SharedModeWarning", s.sharedModeWarning);
    s.machineIndex = r.integer(kSystem, "MachineIndex", s.isWindows95 ? 35 : 100);
    r.writeInt(kSystem, "MachineIndex", s.machineIndex);

    auto tick = r.ini().value(kSystem, QStringLiteral("Tickspeedfactor"));
    s.tickSpeedFactor = 0.2;
    s.dragStepSeconds = 0.02;
    if (tick) {
        auto factor = parseReal(*tick);
        if (!factor) throw LoadError{QStringLiteral("Tickspeedfactor")};
        if (*factor > 0.04 && *factor < 1.0) {
            s.tickSpeedFactor = *factor;
            s.dragStepSeconds = *factor * 0.1;
        }
    }

    s.quiet = r.boolean(kSystem, "Quiet", false);
    r.writeBool(kSystem, "Quiet", s.quiet);
    s.mergeWords = r.boolean(kSystem, "MergeWords", false);
    if (!s.quiet) s.mergeWords = false;
    s.hintPauseLength = r.integer(kSystem, "HintPauseLength", 3000);
    s.alwaysShowSystemInfo = r.boolean(kSystem, "AlwaysShowSystemInfo", false);
    r.writeBool(kSystem, "AlwaysShowSystemInfo", s.alwaysShowSystemInfo);
    s.dateFormat = r.text(kSystem, "DateFormat", QStringLiteral("yy-mm-dd")).left(15);
    if (s.dateFormat.isEmpty()) s.dateFormat = QStringLiteral("yy-mm-dd");
    QString separator = r.text(kSystem, "DateSeparator", QStringLiteral("/"));
    s.dateSeparator = separator.isEmpty() ? QLatin1Char('/') : separator.front();
    s.invariantBackupFilename = r.text(kSystem, "InvariantBackupfilename", QString());
    s.extraTextExtAllowed =
        r.text(kSystem, "ExtraTextExtAllowed", QStringLiteral("*INI*BAT*")).toUpper();
    r.writeText(kSystem, "ExtraTextExtAllowed", s.extraTextExtAllowed);
    for (int i = 0; i < 3; ++i) {
        QByteArray nameKey = "XMLExportName" + QByteArray::number(i + 1);
        QByteArray dirKey = "XMLExportDir" + QByteArray::number(i + 1);
        s.xmlTargets[i].name = r.text(kSystem, nameKey.constData(), QString());
        s.xmlTargets[i].dir = r.text(kSystem, dirKey.constData(), QString());
    }
    s.usableXmlTargets = 0;
    for (const XmlTarget& t : s.xmlTargets) {
        if (t.name.trimmed().isEmpty() || t.dir.isEmpty() || !QFileInfo(t.dir).isDir()) break;
        ++s.usableXmlTargets;
    }
    s.xmlCharSet = r.text(kSystem, "XMLCharSet", Settings().xmlCharSet);
    s.dictLocateDelay = r.integer(kSystem, "DictLocateDelay", 640);
    s.saveToIniFileOnExit = r.boolean(kSystem, "SaveToIniFileOnExit", true);
}

void loadHelperApps(Reader& r, Settings& s)
{
    s.textEditor = r.text(kHelperApps, "TextEditor", QStringLiteral("xdg-open"));
    if (ProgramExists(s.textEditor)) r.writeText(kHelperApps, "TextEditor", s.textEditor);
    s.fileHandler = r.text(kHelperApps, "FileHandler", QStringLiteral("xdg-open"));
    if (ProgramExists(s.fileHandler)) r.writeText(kHelperApps, "FileHandler", s.fileHandler);
    s.webBrowser = r.text(kHelperApps, "WebBrowser", QStringLiteral("xdg-open"));
    s.netscapeUsed = r.integer(kHelperApps, "NetscapeUsed", 0);
    s.tempTxtFileName = r.text(kWordProcessing, "TempTxtFileName", QStringLiteral("QB.txt"));
    if (s.tempTxtFileName.trimmed().isEmpty()) s.tempTxtFileName = QStringLiteral("QB.txt");
    r.writeText(kWordProcessing, "TempTxtFileName", s.tempTxtFileName);
}

void loadStackLocations(Reader& r, Settings& s)
{
    const auto defaults = Settings::defaultStackLocations();
    for (int i = 0; i < 7; ++i) {
        QByteArray n = QByteArray::number(i + 1);
        s.stackLocations[i].name =
            r.text(kStackLocations, ("Name_" + n).constData(), defaults[i].name);
        s.stackLocations[i].x =
            r.integer(kStackLocations, ("Xcoordinate_" + n).constData(), defaults[i].x);
        s.stackLocations[i].y =
            r.integer(kStackLocations, ("Ycoordinate_" + n).constData(), defaults[i].y);
    }
}

// The keys kept current while loading that are written in one group after the stack locations.
void writeLoadGroup(Reader& r, const Settings& s)
{
    for (const ColorKey& c : colorKeys()) r.writeInt(kColors, c.key, s.*(c.field));
    r.writeInt(kSystem, "HintPauseLength", s.hintPauseLength);
    r.writeBool(kSystem, "Quiet", s.quiet);
    r.writeBool(kSystem, "IsWindows95", s.isWindows95);
    r.writeBool(kSystem, "SaveToIniFileOnExit", s.saveToIniFileOnExit);
    r.writeBool(kSystem, "AlwaysShowSystemInfo", s.alwaysShowSystemInfo);
    r.writeBool(kAppearance, "SelectMarkFoundCards", s.selectMarkFoundCards);
    r.writeBool(kAppearance, "KeepGarbageCan", s.keepGarbageCan);
    r.writeInt(kSystem, "DictLocateDelay", s.dictLocateDelay);
    r.writeText(kSystem, "InvariantBackupfilename", s.invariantBackupFilename);
    for (int i = 0; i < 3; ++i) {
        QByteArray n = QByteArray::number(i + 1);
        r.writeText(kSystem, ("XMLExportName" + n).constData(), s.xmlTargets[i].name);
        r.writeText(kSystem, ("XMLExportDir" + n).constData(), s.xmlTargets[i].dir);
    }
    r.writeText(kSystem, "XMLCharSet", s.xmlCharSet);
    for (int i = 0; i < 2; ++i) {
        QByteArray n = QByteArray::number(i + 1);
        r.writeText(kStackLocations, ("Name_" + n).constData(), s.stackLocations[i].name);
        r.writeInt(kStackLocations, ("Xcoordinate_" + n).constData(), s.stackLocations[i].x);
        r.writeInt(kStackLocations, ("Ycoordinate_" + n).constData(), s.stackLocations[i].y);
    }
    if (ProgramExists(s.textEditor)) r.writeText(kHelperApps, "TextEditor", s.textEditor);
    if (ProgramExists(s.fileHandler)) r.writeText(kHelperApps, "FileHandler", s.fileHandler);
    r.writeText(kWordProcessing, "TempTxtFileName", s.tempTxtFileName);
}

}  // namespace

std::array<StackLocation, 7> Settings::defaultStackLocations()
{
    std::array<StackLocation, 7> l;
    l[0] = {QStringLiteral("Upper Right Corner"), 670, 30};
    l[1] = {QStringLiteral("Lower Left Corner"), 30, 470};
    return l;
}

int Settings::itemSlotsUsable() const { return std::clamp(machineIndex, 30, 200); }

int Settings::conceptSlotsUsable() const
{
    long long half = static_cast<long long>(machineIndex) * 50 / 100;
    return int(std::clamp<long long>(half, 20, 100));
}

bool LoadSettings(IniFile& ini, Settings& s, QString* error)
{
    // Transient values start from scratch at every load.
    s.xmlCharSet = Settings().xmlCharSet;
    s.xmlTargets = {};
    s.usableXmlTargets = 0;
    s.tickSpeedFactor = 0.2;
    s.dragStepSeconds = 0.02;
    s.audioEnabled = true;
    s.isWindows95 = false;
    Reader r(ini);
    try {
        loadAppearance(r, s);
        loadLimits(r, s);
        loadTextOutput(r, s);
        s.itemExpansionOnDrop = r.integer(kFunctions, "ItemExpansionOnDrop", 0);
        if (s.itemExpansionOnDrop < -1 || s.itemExpansionOnDrop > 1) s.itemExpansionOnDrop = 0;
        loadColors(r, s);
        loadWindowSizes(r, s);
        loadWindowOffsets(r, s);
        loadSystem(r, s);
        loadHelperApps(r, s);
        loadStackLocations(r, s);
        writeLoadGroup(r, s);
    } catch (const LoadError& e) {
        if (error) *error = QStringLiteral("Bad value of ") + e.key;
        return false;
    }
    return true;
}

void SaveExitSettings(IniFile& ini, const Settings& s)
{
    Reader w(ini);
    if (!s.wallPaperFileName.isEmpty() &&
        QFileInfo::exists(runContext().filePath(s.wallPaperFileName)))
        w.writeText(kAppearance, "WallPaper_BMP_FileName", s.wallPaperFileName);
    w.writeBool(kAppearance, "ShowKeysOnDrag", s.showKeysOnDrag);
    w.writeInt(kAppearance, "CardSideUp", s.cardSideUp);
    w.writeBool(kAppearance, "ShowItemDateAsHint", s.showItemDateAsHint);
    w.writeBool(kAppearance, "UseSendBackCorner", s.useSendBackCorner);
    w.writeBool(kAppearance, "UseBringToFrontCorner", s.useBringToFrontCorner);
    w.writeBool(kAppearance, "QuickFlip", s.quickFlip);
    w.writeBool(kTextOutput, "Washtexts", s.washTexts);
    w.writeBool(kTextOutput, "HTML", s.html);
    w.writeText(kTextOutput, "QBAuthor", s.qbAuthor);
    w.writeText(kTextOutput, "CSSline", s.cssLine);
    w.writeInt(kTextOutput, "HTMLheaderformatdepth", s.htmlHeaderFormatDepth);
    w.writeInt(kFunctions, "ItemExpansionOnDrop", s.itemExpansionOnDrop);
    w.writeInt(kWindowSizes, "SynWheelHeight", s.synWheelHeight);
    w.writeInt(kWindowSizes, "SynWheelWidth", s.synWheelWidth);
    w.writeInt(kWindowSizes, "ItemHeight", s.itemHeight);
    w.writeInt(kWindowSizes, "ItemWidth", s.itemWidth);
    w.writeInt(kWindowSizes, "AltItemHeight", 360);
    w.writeInt(kWindowSizes, "AltItemWidth", 480);
    w.writeInt(kWindowSizes, "ClientHeight", s.clientHeight);
    w.writeInt(kWindowSizes, "ClientWidth", s.clientWidth);
    w.writeInt(kWindowSizes, "ClientTop", s.clientTop);
    w.writeInt(kWindowSizes, "ClientLeft", s.clientLeft);
    w.writeBool(kWindowSizes, "ClientMaximized", s.clientMaximized);
    w.writeInt(kWindowSizes, "BookWidth", s.bookWidth);
    w.writeInt(kWindowSizes, "AppWindowScrollbarWidth", s.appWindowScrollbarWidth);
    w.writeInt(kWindowOffsets, "Horizontal", s.horizontal);
    w.writeInt(kWindowOffsets, "Vertical", s.vertical);
    w.writeInt(kWindowOffsets, "GeneralOffsetSideBorder", s.generalOffsetSideBorder);
    w.writeInt(kWindowOffsets, "GeneralOffsetTopBorder", s.generalOffsetTopBorder);
    w.writeInt(kWindowOffsets, "GeneralOffsetBottomBorder", s.generalOffsetBottomBorder);
    w.writeInt(kWindowOffsets, "CreateSpotTX", s.createSpotTX);
    w.writeInt(kWindowOffsets, "CreateSpotTY", s.createSpotTY);
    w.writeInt(kWindowOffsets, "CreateSpotIX", s.createSpotIX);
    w.writeInt(kWindowOffsets, "CreateSpotIY", s.createSpotIY);
    w.writeInt(kWindowOffsets, "CreateSpotSX", s.createSpotSX);
    w.writeInt(kWindowOffsets, "CreateSpotSY", s.createSpotSY);
    w.writeInt(kWindowOffsets, "PopSpotSX", s.popSpotSX);
    w.writeInt(kWindowOffsets, "PopSpotSY", s.popSpotSY);
    w.writeInt(kWindowOffsets, "PopSpotIX", s.popSpotIX);
    w.writeInt(kWindowOffsets, "PopSpotIY", s.popSpotIY);
    w.writeInt(kWindowOffsets, "PopSpotZX", s.popSpotZX);
    w.writeInt(kWindowOffsets, "PopSpotZY", s.popSpotZY);
    w.writeInt(kWindowOffsets, "BookLeft", s.bookLeft);
    if (std::fabs(s.tickSpeedFactor - 0.2) > 1e-8)
        w.writeText(kSystem, "Tickspeedfactor", QString::number(s.tickSpeedFactor, 'g', 15));
    if (ProgramExists(s.webBrowser)) w.writeText(kHelperApps, "WebBrowser", s.webBrowser);
    w.writeInt(kHelperApps, "NetscapeUsed", s.netscapeUsed != 0 ? 1 : 0);
}

void RegisterTransientReset(std::function<void()> reset)
{
    transientResets().push_back(std::move(reset));
}

namespace {

void reportIniProblem(const char* text, const QString& why)
{
    QString message = QString::fromLatin1(text);
    if (!why.isEmpty()) message += QStringLiteral("\r\n") + why;
    SysProblem(message);
}

}  // namespace

bool ReadIniFile()
{
    RunContext& run = runContext();
    IniFile ini;
    QString error;
    bool ok = ini.load(run.iniPath(), &error);
    if (ok) ok = LoadSettings(ini, run.settings, &error);
    // Whatever was read and normalised so far is written back, as key-by-key writes would be.
    if (ini.isDirty() && !ini.save(&error)) ok = false;
    // The timestamp generator keeps its state: a reread inside a second must not hand out that
    // second's values again.
    for (const auto& reset : transientResets()) reset();
    if (!ok) reportIniProblem("Errors in QB.ini file .. on start up", error);
    return ok;
}

bool WriteBackIniFile()
{
    RunContext& run = runContext();
    if (run.flags.stopped()) return true;
    IniFile ini;
    QString error;
    if (!ini.load(run.iniPath(), &error)) {
        reportIniProblem("Errors in QB.ini file .. on write back", error);
        return false;
    }
    if (!run.settings.saveToIniFileOnExit) return true;
    SaveExitSettings(ini, run.settings);
    if (ini.isDirty() && !ini.save(&error)) {
        reportIniProblem("Errors in QB.ini file .. on write back", error);
        return false;
    }
    return true;
}

bool ProgramExists(const QString& program)
{
    QString p = program.trimmed();
    if (p.isEmpty()) return false;
    if (p.contains(QLatin1Char('/'))) return QFileInfo(p).isFile();
    return !QStandardPaths::findExecutable(p).isEmpty();
}

bool ToggleMark(OptionToggle toggle)
{
    const Settings& s = runContext().settings;
    switch (toggle) {
    case OptionToggle::QuickFlip: return s.quickFlip;
    case OptionToggle::BringToFrontCorner: return s.useBringToFrontCorner;
    case OptionToggle::SendBackCorner: return s.useSendBackCorner;
    case OptionToggle::FlyWordClick: return s.flyWordClick;
    case OptionToggle::VerboseMode: return !s.quiet;
    case OptionToggle::RemoveComments: return s.washTexts;
    case OptionToggle::OutlineAsHtml: return s.html;
    case OptionToggle::MergeWords: return s.mergeWords;
    case OptionToggle::Windows95: return s.isWindows95;
    }
    return false;
}

bool ApplyToggle(OptionToggle toggle)
{
    Settings& s = runContext().settings;
    IniFile ini;
    QString error;
    // A file that cannot be read is left alone (saving it would keep only this key); the setting
    // still changes for this run.
    bool ok = ini.load(runContext().iniPath(), &error);
    switch (toggle) {
    case OptionToggle::QuickFlip:
        s.quickFlip = !s.quickFlip;
        ini.writeBool(kAppearance, QStringLiteral("QuickFlip"), s.quickFlip);
        break;
    case OptionToggle::BringToFrontCorner:
        s.useBringToFrontCorner = !s.useBringToFrontCorner;
        ini.writeBool(kAppearance, QStringLiteral("UseBringtofrontcorner"),
                      s.useBringToFrontCorner);
        break;
    case OptionToggle::SendBackCorner:
        s.useSendBackCorner = !s.useSendBackCorner;
        ini.writeBool(kAppearance, QStringLiteral("UseSendBackCorner"), s.useSendBackCorner);
        break;
    case OptionToggle::FlyWordClick:
        s.flyWordClick = !s.flyWordClick;
        ini.writeBool(kAppearance, QStringLiteral("FlyWordClick"), s.flyWordClick);
        break;
    case OptionToggle::VerboseMode:
        s.quiet = !s.quiet;
        ini.writeBool(kSystem, QStringLiteral("Quiet"), s.quiet);
        break;
    case OptionToggle::RemoveComments:
        s.washTexts = !s.washTexts;
        ini.writeBool(kTextOutput, QStringLiteral("Washtexts"), s.washTexts);
        if (!s.washTexts && s.html) {
            s.html = false;
            ini.writeBool(kTextOutput, QStringLiteral("HTML"), false);
        }
        break;
    case OptionToggle::OutlineAsHtml:
        s.html = !s.html;
        ini.writeBool(kTextOutput, QStringLiteral("HTML"), s.html);
        if (s.html && !s.washTexts) {
            s.washTexts = true;
            ini.writeBool(kTextOutput, QStringLiteral("Washtexts"), true);
        }
        break;
    case OptionToggle::MergeWords:
        s.mergeWords = !s.mergeWords;
        ini.writeBool(kSystem, QStringLiteral("MergeWords"), s.mergeWords);
        break;
    case OptionToggle::Windows95:
        s.isWindows95 = !s.isWindows95;
        ini.writeBool(kSystem, QStringLiteral("IsWindows95"), s.isWindows95);
        break;
    }
    if (ok && ini.isDirty()) ok = ini.save(&error);
    if (!ok) reportIniProblem("Errors in QB.ini file .. on write back", error);
    return ToggleMark(toggle);
}

}  // namespace qb
