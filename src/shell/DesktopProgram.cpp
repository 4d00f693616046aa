#include "shell/DesktopProgram.h"

#include <QApplication>
#include <QMainWindow>

namespace qb {

int RunDesktopProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    return app.exec();
}

}  // namespace qb
