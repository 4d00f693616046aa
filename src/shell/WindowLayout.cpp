#include "shell/WindowLayout.h"

#include <QDir>
#include <QFileInfo>

#include "floor/Messages.h"
#include "floor/Settings.h"
#include "platform/IniFile.h"

namespace qb {

namespace {

const QString kWindowsUp = QStringLiteral("WINDOWS UP");
const QString kWindowSizes = QStringLiteral("WINDOW SIZES");
const QString kSavedWork = QStringLiteral("SAVEDWORK");

QString key(const char* prefix, int n, const char* suffix)
{
    return QString::fromLatin1(prefix) + QString::number(n) + QString::fromLatin1(suffix);
}

QRect savedGeometry(const IniFile& ini, const char* prefix, int n, int defaultLeft, int defaultTop)
{
    int left = ini.readInteger(kWindowSizes, key(prefix, n, "_Left"), defaultLeft);
    int top = ini.readInteger(kWindowSizes, key(prefix, n, "_Top"), defaultTop);
    int height = ini.readInteger(kWindowSizes, key(prefix, n, "_Height"), 0);
    int width = ini.readInteger(kWindowSizes, key(prefix, n, "_width"), 0);
    return QRect(left, top, qMax(0, width), qMax(0, height));
}

void writeGeometry(IniFile& ini, const char* prefix, int n, const QRect& g)
{
    ini.writeInteger(kWindowSizes, key(prefix, n, "_Left"), g.left());
    ini.writeInteger(kWindowSizes, key(prefix, n, "_Top"), g.top());
    ini.writeInteger(kWindowSizes, key(prefix, n, "_Height"), g.height());
    ini.writeInteger(kWindowSizes, key(prefix, n, "_width"), g.width());
}

// The outline id becomes a file name inside the outline folder, never a path out of it.
QString outlineFileName(const QString& outlineId)
{
    QString name = outlineId.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.replace(QLatin1Char('\\'), QLatin1Char('_'));
    if (name == QStringLiteral(".") || name == QStringLiteral("..")) name.clear();
    return name;
}

}  // namespace

void RestoreWindowLayout(const IniFile& ini, const Settings& s, int screenWidth, int toolBarHeight,
                         const WindowLayoutHooks& hooks)
{
    const int defaultLeft = screenWidth - s.generalOffsetSideBorder - 220 - s.horizontal;
    const int defaultTop = s.generalOffsetTopBorder + toolBarHeight;

    for (int n = 1; n <= layout::kProjectWindows; ++n) {
        if (!ini.readBool(kWindowsUp, key("Proj_", n, "_exists"), false)) continue;
        if (!hooks.openProjectWindow) continue;
        ProjectWindowRestore w;
        w.number = n;
        w.geometry = savedGeometry(ini, "Proj_", n, defaultLeft, defaultTop);
        w.selectedTag = ini.readString(kSavedWork, key("SelectedProjTag_", n, ""), QString());
        w.sortOrder = ini.readInteger(kSavedWork, key("ProjSortOrder_", n, ""), 0);
        QString outline = ini.readString(kSavedWork, key("OutlineName_", n, ""), QString());
        if (!outline.isEmpty() && QFileInfo(outline).isFile()) w.outlineFile = outline;
        w.selectedProject = ini.readString(kSavedWork, key("ProjectSelected_", n, ""), QString())
                                .left(layout::kSelectedProjectLength);
        int side = ini.readInteger(kSavedWork, key("ProjSideUp_", n, ""), -1);
        w.sideUp = side >= 0 && side <= 2 ? side : -1;
        if (!hooks.openProjectWindow(w)) PlainMessage(QStringLiteral("Window upload failed"));
    }

    for (int n = 1; n <= layout::kDictionaryWindows; ++n) {
        if (!ini.readBool(kWindowsUp, key("Dict_", n, "_exists"), false)) continue;
        if (!hooks.openDictionaryWindow) continue;
        DictionaryWindowRestore w;
        w.number = n;
        w.geometry =
            savedGeometry(ini, "Dict_", n, defaultLeft + s.horizontal, defaultTop + s.vertical);
        w.sortOrder = ini.readInteger(kSavedWork, key("DictSortOrder_", n, ""), 0);
        if (!hooks.openDictionaryWindow(w)) PlainMessage(QStringLiteral("Window upload failed"));
    }
}

void SaveWindowLayout(IniFile& ini, const WindowLayoutHooks& hooks, const QString& outlineDir)
{
    for (int n = 1; n <= layout::kProjectWindows; ++n) {
        ini.writeBool(kWindowsUp, key("Proj_", n, "_exists"), false);
        ini.writeString(kSavedWork, key("OutlineName_", n, ""), QString());
        ini.writeString(kSavedWork, key("SelectedProjTag_", n, ""), QString());
        ini.writeString(kSavedWork, key("ProjectSelected_", n, ""), QString());
        ini.writeInteger(kSavedWork, key("ProjSortOrder_", n, ""), 0);
        ini.writeInteger(kSavedWork, key("ProjSideUp_", n, ""), 0);
    }
    if (hooks.projectWindows) {
        int n = 0;
        for (const ProjectWindowRecord& w : hooks.projectWindows()) {
            if (++n > layout::kProjectWindows) break;
            writeGeometry(ini, "Proj_", n, w.geometry);
            ini.writeBool(kWindowsUp, key("Proj_", n, "_exists"), true);
            QString outlinePath;
            QString name = outlineFileName(w.outlineId);
            if (!name.isEmpty() && w.saveOutline) {
                outlinePath = QDir(outlineDir).filePath(name + QStringLiteral(".qbo"));
                w.saveOutline(outlinePath);  // a failed outline save does not stop the layout save
            }
            ini.writeString(kSavedWork, key("OutlineName_", n, ""), outlinePath);
            ini.writeString(kSavedWork, key("SelectedProjTag_", n, ""), w.filterTag);
            ini.writeInteger(kSavedWork, key("ProjSortOrder_", n, ""), w.sortOrder);
            ini.writeInteger(kSavedWork, key("ProjSideUp_", n, ""), w.sideUp);
            ini.writeString(kSavedWork, key("ProjectSelected_", n, ""), w.selectedProject);
        }
    }

    for (int n = 1; n <= layout::kDictionaryWindows; ++n)
        ini.writeBool(kWindowsUp, key("Dict_", n, "_exists"), false);
    if (hooks.dictionaryWindows) {
        int n = 0;
        for (const DictionaryWindowRecord& w : hooks.dictionaryWindows()) {
            if (++n > layout::kDictionaryWindows) break;
            writeGeometry(ini, "Dict_", n, w.geometry);
            ini.writeBool(kWindowsUp, key("Dict_", n, "_exists"), true);
            ini.writeInteger(kSavedWork, key("DictSortOrder_", n, ""), w.sortOrder);
        }
    }
}

}  // namespace qb
