#pragma once

#include <QString>

#include <functional>

class QMimeData;

namespace qb {

// A project's URL opened as a web address, a program or a document, and the web browser's
// current page as the clipboard holds it.

// When the URL holds no "%": the part after the first "?" (else the last "/") is URL-encoded when
// the URL holds a comma and no backslash.
QString EncodeUrlTail(const QString& url);

enum class UrlTarget { Web, Program, Document };
// Web addresses (IsWebAddress); then programs: ".EXE", ".COM", ".LNK" anywhere, or an
// executable file; everything else is a document.
UrlTarget TargetOfUrl(const QString& url);
// The extension of the URL's file name (after its last dot), empty without one.
QString UrlExtension(const QString& url);
// The program for a document: [FILE EXTENSIONS] <extension> in qb.ini, else the registered one,
// else [HELPER APPS] TextEditor.
QString ProgramForExtension(const QString& extension);

// Opens the URL: a web address through openWeb (the browser hand-off), a program started itself,
// a document in its program with the URL as the one argument. True when something started; the
// caller reports when nothing did.
bool OpenProjectUrl(const QString& url, const std::function<bool(const QString&)>& openWeb);

// The browser's current page: the address of a link or of an address copied as text, with the
// link's title when it has one.
struct BrowserPage {
    QString address;
    QString title;
};
BrowserPage BrowserPageFrom(const QMimeData* mime);
// From the system clipboard; an empty address (after "Check if the customized web browser is
// open") when it holds none.
BrowserPage GetBrowserPage();

namespace links {
inline constexpr char kNothingStarted[] = "URL/file missing or unsufficient resources";
inline constexpr char kCheckBrowser[] =
    "Check if the customized web browser is open:  (See Installation menu.)";
}  // namespace links

}  // namespace qb
