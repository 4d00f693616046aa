#include "shell/MainWindow.h"

#include "desktop/Desktop.h"
#include "shell/CommandRegistry.h"

#include <QLabel>
#include <QToolBar>

namespace qb {

namespace {
TBillBoard* theMainWindow = nullptr;
}

TBillBoard::TBillBoard(QWidget* parent)
    : QMainWindow(parent), commands_(new CommandRegistry(this)), desktop_(new TDesktop(this))
{
    theMainWindow = this;
    setWindowTitle(QStringLiteral("QUILLBOX 2000  "));
    auto* bar = addToolBar(QStringLiteral("Tools"));
    logoPanel_ = new QLabel(QStringLiteral("QB"), bar);
    logoPanel_->setFocusPolicy(Qt::StrongFocus);
    bar->addWidget(logoPanel_);
    setCentralWidget(desktop_);
}

TBillBoard::~TBillBoard()
{
    if (theMainWindow == this) theMainWindow = nullptr;
}

TBillBoard* TBillBoard::instance() { return theMainWindow; }

}  // namespace qb
