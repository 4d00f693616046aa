#pragma once

#include <QIcon>
#include <QStringList>
#include <memory>

namespace qb {

class SingleInstanceGuard;
class TBillBoard;

// What the program has after its start-up, before the event loop: the main window (created and
// past FormCreate) and the single-instance guard it holds. Without a window the program ends
// with exitCode; the reason has been shown through the session's messenger.
struct DesktopStart {
    DesktopStart();
    DesktopStart(DesktopStart&&) noexcept;
    ~DesktopStart();

    int exitCode = 0;
    std::unique_ptr<SingleInstanceGuard> guard;
    std::unique_ptr<TBillBoard> window;
};

// The entry checks (directory, engine, store), the store directory as current directory, the
// single-instance guard and the windows. arguments as on the command line: [program, --dir DIR].
DesktopStart StartDesktopProgram(const QStringList& arguments);

// The id of the desktop entry, the icons and the metainfo the program is installed with.
inline constexpr char kDesktopFileName[] = "org.quillbox.Quillbox";

// The installed theme icon at its sizes, built into the program so that windows and the tray show
// it wherever the program was installed.
QIcon ProgramIcon();

// The desktop program: start-up, the event loop, an orderly end.
int RunDesktopProgram(int argc, char** argv);

}  // namespace qb
