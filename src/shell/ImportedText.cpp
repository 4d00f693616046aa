#include "shell/ImportedText.h"

#include "desktop/FlyWord.h"
#include "desktop/FlyWordRules.h"
#include "floor/HelpTopic.h"
#include "floor/Settings.h"
#include "items/Capture.h"
#include "platform/TextChecks.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

namespace qb {

namespace {

// The window lives for the run; a session reset (tests) makes a new one.
struct ImportedTextWindow {
    QPointer<TfrmImpText> window;
    ~ImportedTextWindow()
    {
        if (window && QCoreApplication::instance()) delete window.data();
    }
};

}  // namespace

// The editor's double click selects the word under the pointer first.
class TfrmImpText::Edit : public QPlainTextEdit {
public:
    Edit(TfrmImpText& window) : QPlainTextEdit(&window), window_(window) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        QPlainTextEdit::mouseDoubleClickEvent(e);
        window_.selectionToFlyword();
    }

private:
    TfrmImpText& window_;
};

TfrmImpText::TfrmImpText(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint),
      text_(new Edit(*this))
{
    setObjectName(QStringLiteral("frmImpText"));
    SetHelpTopic(this, kHelpContext);
    setWindowTitle(QStringLiteral("IMPORTED TEXT (") + QString::fromLatin1(kAnnotationFileName) +
                   QStringLiteral(") "));
    // The frame's corner at the screen's: placing the inside there would hide the title bar.
    resize(270, 453);
    move(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(13);
    text_->setFont(font);
    QPalette p = text_->palette();
    p.setColor(QPalette::Text, Qt::black);
    text_->setPalette(p);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QPlainTextEdit* TfrmImpText::text() const { return text_; }

bool TfrmImpText::selectionToFlyword()
{
    const QString selection = text_->textCursor().selectedText();
    if (selection.isEmpty()) return false;
    const Settings& s = session().settings;
    return CreateFlyword(QPoint(s.popSpotZX, s.popSpotZY),
                         LeftCodePoints(selection, kFlywordSourceLimit), GetQBTS()) != nullptr;
}

TfrmImpText* TfrmImpText::instance()
{
    ImportedTextWindow& part = session().part<ImportedTextWindow>();
    if (!part.window) part.window = new TfrmImpText;
    return part.window;
}

QString TfrmImpText::existingText()
{
    TfrmImpText* w = session().part<ImportedTextWindow>().window;
    return w ? w->text_->toPlainText() : QString();
}

void TfrmImpText::showWindow()
{
    TfrmImpText* w = instance();
    w->showNormal();
    w->raise();
}

}  // namespace qb
