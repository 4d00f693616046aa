#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace qb {

// Clipboard text made into an item or an annotation.

enum class LineBreaks { Keep, Remove };

// Runs of blanks become one blank; a single line break stays (CR LF) or becomes a blank; an empty
// line or more becomes one paragraph break (CR LF CR LF) in both modes; blanks and breaks after
// the last other character go. Of the two-character breaks, CR LF is one line break, LF LF and
// CR CR (two old-Mac line ends) are a paragraph break, and LF CR (a CR LF written the wrong way
// round) is one line break: words on either side never join.
QString ConvertLineBreaks(const QString& text, LineBreaks mode);

// The capture's question shows the first characters of the converted text, as many as the
// unconverted text had but at most 500, trimmed.
QString CaptureQuestion(const QString& original, const QString& converted);

// The word number of a capture's keyword (already trimmed and lower-cased): the dictionary word,
// else the word of a form in INFLEC, else a new word. Below 1 on failure.
int CaptureWordNumber(const QString& keyword);

// "*** Annotation ***   Tuesday, March 4, 2003,  at 09:15 AM" in the locale's day and month
// names, 12-hour clock.
QString AnnotationHeader(const QDateTime& when, const QLocale& locale);

// The annotation file after one more annotation: the old lines, CR LF CR LF, the header, the
// comment line "[ comment ]" (only with a comment; a cancelled one is empty) and the text, every
// line ended by CR LF.
QString AppendedAnnotation(const QString& oldContent, const QString& header, bool withComment,
                           const QString& comment, const QString& text);

// Appends an annotation to the file at path through the program's safe writer, so a failed
// write leaves the old annotations whole. False with *error on failure.
bool AppendAnnotationFile(const QString& path, const QString& header, bool withComment,
                          const QString& comment, const QString& text, QString* error);

inline constexpr char kAnnotationFileName[] = "qbimport.txt";

// What a press on the tray icon captures with: the line breaks as the last capture chosen from
// the icon's menu treated them; kept at first.
struct CaptureState {
    LineBreaks saveMode = LineBreaks::Keep;
};
CaptureState& captureState();

}  // namespace qb
