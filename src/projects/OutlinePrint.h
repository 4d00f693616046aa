#pragma once

#include "projects/OutlineFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;

namespace qb {

struct OutlinePrintOptions {
    bool html = false;
    bool wash = false;  // [TEXTOUTPUT] Washtexts
    QString author;     // [TEXTOUTPUT] QBAuthor
    QString cssLine;    // [TEXTOUTPUT] CSSline
    QDateTime when;
};
// The options as the settings give them, dated now.
OutlinePrintOptions OutlinePrintOptionsFromSettings();

// One print run: the document is built section by section and written to its device.
class OutlineDocument {
public:
    OutlineDocument(QIODevice& out, OutlinePrintOptions options);
    ~OutlineDocument();

    void writeHead(const QString& title);
    void writeTail();
    // One section for the node and its children, numbered below the first node printed.
    void PrintOutlineNode(const OutlineTree& tree, int node);
    // One section's heading and body: the project's items in their stored order, else its
    // attached text file.
    void OutlinePrint(const QString& name, const QString& prefix, int level,
                      const QString& defaultFile);
    void WriteItemText(const QString& text);
    // An attached text file, cleaned into paragraphs when washing.
    void CopyFromCleanCR(QIODevice& file);
    bool failed() const { return failed_; }
    // Sections with a heading written so far.
    int sections() const { return sections_; }

private:
    struct Queries;

    void put(const QString& text);
    void flush();
    QString numberOf(const OutlineTree& tree, int node) const;
    // Appends the character to the buffer, escaped as markup needs it.
    void putEscaped(QChar c);
    // defaultFile null: the project's attached file is looked up when the section needs it.
    void printSection(const QString& name, const QString& prefix, int level,
                      const QString* defaultFile);
    QStringList projectItemTexts(const QString& project, QString* error);

    QIODevice& out_;
    OutlinePrintOptions options_;
    QString buffer_;
    int baseLevel_ = -1;
    int baseNode_ = OutlineTree::kNone;
    bool failed_ = false;
    int sections_ = 0;
    std::unique_ptr<Queries> queries_;
};

// "Outline <ID>.txt" or ".htm" in the output folder.
QString OutlineOutputPath(const QString& outputDir, const QString& outlineId, bool html);
// The output folder outltxt in the store directory, made when missing; the store directory
// itself when it cannot be made.
QString OutlineOutputDir();
// A project's attached .txt file when its URL names one that exists; else empty.
QString DefaultTextFile(const QString& project);

// The whole document from the node down. Returns the path written, or empty after a reported
// failure ("... is in use" when the old file cannot be removed).
QString PrintOutlineDocument(const OutlineTree& tree, int node, const OutlineNames& names,
                             const QString& outputDir, const OutlinePrintOptions& options);

// What the outline output needs of the desktop program. Set in shell/Wiring.cpp; without it a
// finished document is not opened (CLI, tests).
struct OutlineHooks {
    // Opens the document: HTML in the program registered for it, text in the text viewer.
    std::function<bool(const QString& path, bool html)> openDocument;
};
OutlineHooks& outlineHooks();

namespace outlineprintmessages {
inline constexpr char kInUse[] = " is in use";
inline constexpr char kFailed[] = "Failed: GoTvPrintItemText";
inline constexpr char kDefaultFile[] = "Failed: Get Default Text op 1782 Proj1";
inline constexpr char kWriteItems[] = "Error when writing outline file 10832";
inline constexpr char kWriteFileHtml[] = "Error when writing outline file 10794a";
inline constexpr char kWriteFileText[] = "Error when writing outline file 10794b";
inline constexpr char kWriteEmpty[] = "Error when writing outline file 10817";
inline constexpr char kCopy[] = "General failure CopyFromCleanCR";
inline constexpr char kNoText[] = "   --- No text in this section ---   ";
}  // namespace outlineprintmessages

}  // namespace qb
