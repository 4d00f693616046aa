#include "mill/MillWindow.h"

#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/Words.h"
#include "floor/HelpTopic.h"
#include "floor/Messages.h"
#include "items/ItemHooks.h"
#include "platform/FileNames.h"
#include "session/Session.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace qb {

namespace {

constexpr int kHelpTopic = 70020;
constexpr int kHandOffHelp = 70030;
constexpr int kExcludeHelp = 70040;
const QString kCanceled = QStringLiteral("Operation canceled by user");

// The window belongs to the run; a run that ends before the application takes it along.
struct MillState {
    QPointer<TMill> window;
    ~MillState()
    {
        if (window && QCoreApplication::instance()) delete window.data();
    }
};

QWidget* mainWindow()
{
    return session().shell.mainWindow ? session().shell.mainWindow() : nullptr;
}

// The add-word dialog: one input line, "&Cancel" and "&OK".
QString askWord(QWidget* parent, bool* ok)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("ADD WORD TO WORD MILL"));
    auto* input = new QLineEdit(&dialog);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(input);
    layout->addWidget(buttons);
    *ok = dialog.exec() == QDialog::Accepted;
    return input->text();
}

}  // namespace

TMill& TMill::instance()
{
    MillState& s = session().part<MillState>();
    if (!s.window) s.window = new TMill(mainWindow());
    return *s.window;
}

TMill* TMill::existing() { return session().part<MillState>().window.data(); }

TMill::TMill(QWidget* parent) : QMainWindow(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Word Mill"));
    SetHelpTopic(this, kHelpTopic);
    setObjectName(QStringLiteral("WordMill"));
    display_ = new QPlainTextEdit(this);
    display_->setReadOnly(true);
    display_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    display_->setFont(QFont(QStringLiteral("Monospace")));
    display_->viewport()->installEventFilter(this);
    display_->installEventFilter(this);
    setCentralWidget(display_);
    statusBar();

    QMenuBar* bar = menuBar();
    auto add = [&](const char* name, const QString& caption, const QString& hint, auto slot) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setStatusTip(hint);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    add("go", QStringLiteral("Go"), QString(), &TMill::GoAllTheWay)->setVisible(false);
    add("getClipboard", QStringLiteral("&Get Clipboard Text "),
        QStringLiteral("Paste text from clipboard and mill it"), &TMill::GetClipboardText);
    add("order", QStringLiteral("&Order Words"), QStringLiteral("Alphabetcal order and statistics"),
        &TMill::OrderWords);
    getLatest_ = add("getLatest", QStringLiteral("&Get Latest"), QString(), &TMill::GetLatest);
    getLatest_->setVisible(false);
    add("mill", QStringLiteral("&Mill Text  "), QStringLiteral("Give a mill to words"),
        &TMill::MillText);
    add("addWord", QStringLiteral("&Add Word  "),
        QStringLiteral("Add another word to the collection"), &TMill::AddWord);
    add("bind", QStringLiteral("B&ind Words  "), QStringLiteral("Bind marked words together"),
        &TMill::BindWords);
    binding_ = add("binding", QStringLiteral("Hide binding  "),
                   QStringLiteral("Bindig is shown by \"_\""), &TMill::ShowHideBinding);
    add("remove", QStringLiteral("Remove Words"), QStringLiteral("Remove marked word"),
        &TMill::RemoveWords);
    add("exclude", QStringLiteral("&Exclude  "),
        QStringLiteral("Permanently exclude marked word from all collections"), &TMill::Exclude);
    QMenu* about = bar->addMenu(QStringLiteral("About  "));
    about->menuAction()->setVisible(false);
    connect(about->addAction(QStringLiteral("Word Mill")), &QAction::triggered, this, [this] {
        InfoMessage(QStringLiteral("About Word Mill\n\nThe Word Mill of Quillbox ") +
                    runContext().version());
    });
    QAction* target = about->addAction(QStringLiteral("Set Export File Name"));
    target->setVisible(false);
    connect(target, &QAction::triggered, this, [this] {
        QString answer = exportTarget_;
        if (ShowInfo(QStringLiteral("Export sorted words to (existing file): "),
                     QStringLiteral("SetUp Data"), kInputRequest, answer, kHelpTopic))
            exportTarget_ = answer;
    });
    add("exit", QStringLiteral("E&xit"),
        QStringLiteral("Close. Save contents to the Windows clipboard first."), &QWidget::close);

    mill_.status = [this](const QString& text) { showStatus(text); };
    mill_.editExclusions = [this](QString& list) {
        list = TfrmExclude::edit(this, list, [this] { cancelByEsc(); });
        return true;
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(screen.width() / 4, int(screen.height() * 0.85));
}

QAction* TMill::command(const QString& name) const { return findChild<QAction*>(name); }

void TMill::showStatus(const QString& text) { statusBar()->showMessage(text, 3000); }

void TMill::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    showStatus(QStringLiteral("Word Mill: mark words and choose a command; Esc stops a long run"));
}

void TMill::readDisplay()
{
    // The raw text keeps the non-breaking spaces of hidden binding.
    QString text = display_->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    mill_.displayText = text;
    const QTextCursor c = display_->textCursor();
    mill_.caret = c.position();
    mill_.selectionStart = c.selectionStart();
    mill_.selectionLength = c.selectionEnd() - c.selectionStart();
}

void TMill::writeDisplay()
{
    display_->setUpdatesEnabled(false);
    display_->setPlainText(mill_.displayText);
    display_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QTextCursor c = display_->textCursor();
    c.setPosition(std::clamp(mill_.caret, 0, int(mill_.displayText.size())));
    display_->setTextCursor(c);
    display_->setUpdatesEnabled(true);
    getLatest_->setVisible(mill_.hasUndoCopy);
}

template <typename Work> void TMill::run(Work work)
{
    readDisplay();
    work();
    writeDisplay();
}

int TMill::caretPosition() const { return display_->textCursor().position(); }

void TMill::restoreCaret(int position)
{
    QTextCursor c = display_->textCursor();
    c.setPosition(position >= 0 && position <= display_->document()->characterCount() - 1
                      ? position
                      : c.position());
    display_->setTextCursor(c);
    raise();
    activateWindow();
}

void TMill::GetClipboardText()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = clipboard ? clipboard->text() : QString();
    run([&] { mill_.importText(text); });
}

void TMill::OrderWords()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    run([&] { mill_.orderWords(); });
    QApplication::restoreOverrideCursor();
}

void TMill::GetLatest()
{
    run([&] { mill_.getLatest(); });
    display_->show();
}

void TMill::MillText()
{
    run([&] { mill_.millText(QRandomGenerator::global()->generate()); });
}

void TMill::AddWord()
{
    bool ok = false;
    const QString word = askWord(this, &ok);
    run([&] {
        if (ok) mill_.addWord(word);
    });
}

void TMill::BindWords()
{
    run([&] { mill_.bindWords(); });
}

void TMill::ShowHideBinding()
{
    run([&] { mill_.toggleBinding(); });
    binding_->setText(mill_.bindingShown ? QStringLiteral("Hide binding  ")
                                         : QStringLiteral("Show binding  "));
}

void TMill::RemoveWords()
{
    run([&] { mill_.removeWords(); });
}

void TMill::Exclude()
{
    run([&] { mill_.exclude(); });
}

void TMill::saveExclusionList()
{
    if (mill_.unsavedList) mill_.saveExclusionFile();
}

void TMill::GoAllTheWay()
{
    GetClipboardText();
    OrderWords();
    if (exportTarget_.toUpper() != QStringLiteral("CLIPBOARD")) return;
    if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(mill_.displayText);
    if (QWidget* w = mainWindow()) w->showMinimized();
}

void TMill::showRestored()
{
    if (isMinimized()) showNormal();
    show();
    raise();
}

void TMill::WordMillAnalyzeClick()
{
    const QRect screen = QGuiApplication::screens().first()->geometry();
    resize(screen.width() / 4, int(screen.height() * 0.85));
    GetClipboardText();
    OrderWords();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    showRestored();
}

void TMill::cancelByEsc()
{
    if (mill_.cancelMark) return;
    showStatus(kCanceled);
    mill_.cancelMark = true;
}

void TMill::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelByEsc();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TMill::closeEvent(QCloseEvent* event)
{
    event->ignore();
    hide();
}

void TMill::flywordFromSelection()
{
    const QString selection = display_->textCursor().selectedText();
    if (!session().settings.flyWordClick || selection.isEmpty() || !itemHooks().makeFlyword) return;
    const Settings& s = session().settings;
    itemHooks().makeFlyword(selection, QPoint(s.popSpotZX, s.popSpotZY), GetQBTS());
    flywordMade_ = true;
}

bool TMill::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == display_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancelByEsc();
        return true;
    }
    if (watched != display_->viewport()) return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The word is selected by the editor first; the flyword takes that selection.
        flywordMade_ = false;
        QTimer::singleShot(0, this, [this] { flywordFromSelection(); });
    } else if (event->type() == QEvent::MouseButtonRelease) {
        QTimer::singleShot(0, this, [this] {
            const QString selection = display_->textCursor().selectedText();
            if (flywordMade_ || !mill_.statisticsMode || selection.isEmpty()) return;
            MillHandOff(*this, selection);
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- the exclusion window ----

TfrmExclude::TfrmExclude(QWidget* parent, const QString& list) : QDialog(parent)
{
    SetHelpTopic(this, kExcludeHelp);
    setWindowTitle(QStringLiteral(
        "These words to be permanently excluded are registered in file EXCLUDE.txt"));
    editor_ = new QPlainTextEdit(list, this);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    const QString filter = QStringLiteral("Exclude.txt backups (*.txt);;Any File (*)");
    connect(bar->addAction(QStringLiteral("Load Exclude.txt")), &QAction::triggered, this,
            [this, filter] {
                const QString path =
                    QFileDialog::getOpenFileName(this, QString(), QString(), filter);
                if (path.isEmpty()) return;
                QFile file(path);
                // A list is a few thousand words; a huge file is not one.
                if (!file.open(QIODevice::ReadOnly) || file.size() > 16 * 1024 * 1024)
                    return InfoMessage(QStringLiteral("File open dialog failed"));
                editor_->setPlainText(QString::fromUtf8(file.readAll()));
            });
    connect(bar->addAction(QStringLiteral("Save Exclude.txt")), &QAction::triggered, this,
            [this, filter] {
                QFileDialog dialog(this, QString(), QString(), filter);
                dialog.setAcceptMode(QFileDialog::AcceptSave);
                dialog.setDefaultSuffix(QStringLiteral("txt"));
                if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
                if (!files::writeTextFile(dialog.selectedFiles().first(), editor_->toPlainText()))
                    InfoMessage(QStringLiteral("File save dialog failed"));
            });
    layout->setMenuBar(bar);
    layout->addWidget(editor_);
    resize(480, 320);
}

QString TfrmExclude::list() const { return editor_->toPlainText(); }

QString TfrmExclude::edit(QWidget* parent, const QString& list, std::function<void()> onEsc)
{
    TfrmExclude dialog(parent, list);
    // Esc in the editor sets the Mill's cancel mark, and closes the window.
    struct EscFilter : QObject {
        std::function<void()> onEsc;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress &&
                static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape && onEsc)
                onEsc();
            return false;
        }
    } filter;
    filter.onEsc = std::move(onEsc);
    dialog.editor_->installEventFilter(&filter);
    dialog.exec();
    return dialog.list();
}

// ---- the hand-off ----

TfrmMillAddInfl::TfrmMillAddInfl(QWidget* parent, const QString& word,
                                 const std::vector<mill::Candidate>& found)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("   ") + word + QStringLiteral(" ?"));
    SetHelpTopic(this, kHandOffHelp);
    list_ = new QListWidget(this);
    for (const mill::Candidate& c : found) list_->addItem(c.word);
    if (!found.empty()) list_->setCurrentRow(0);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { choose(Inflection); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(new QLabel(QStringLiteral("Inflection"), this));
    auto button = [&](const QString& caption, Choice choice, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, choice] { choose(choice); });
        layout->addWidget(b);
        return b;
    };
    button(QStringLiteral("&OK"), Inflection, "ok")->setDefault(true);
    layout->addWidget(new QLabel(QStringLiteral("..else"), this));
    button(QStringLiteral("&Flyword"), Flyword, "flyword")
        ->setEnabled(bool(itemHooks().makeFlyword));
    button(QStringLiteral("Exclude"), ExcludeWord, "exclude");
    button(QStringLiteral("&Word"), Word, "word");
    button(QStringLiteral("&Cancel"), Cancel, "cancel");
}

int TfrmMillAddInfl::selectedRow() const
{
    return list_->selectedItems().isEmpty() ? -1 : list_->currentRow();
}

void TfrmMillAddInfl::choose(Choice choice)
{
    choice_ = choice;
    done(choice == Cancel ? QDialog::Rejected : QDialog::Accepted);
}

void TfrmMillAddInfl::closeEvent(QCloseEvent* event)
{
    // The close box acts as "&Word".
    choice_ = Word;
    QDialog::closeEvent(event);
}

void MillHandOff(TMill& window, const QString& selection)
{
    const QString word = mill::HandOffWord(selection);
    if (word.isEmpty()) return;
    const int known = mill::KnownWordNumber(word);
    if (known > 0) {
        DictPositionFromMain(known);
        return;
    }
    const std::vector<mill::Candidate> found = mill::FindCandidates(word);
    TfrmMillAddInfl dialog(&window, word, found);
    dialog.exec();
    const int caret = window.caretPosition();
    switch (dialog.choice()) {
    case TfrmMillAddInfl::Inflection:
        if (dialog.selectedRow() >= 0) mill::AddForm(word, found[size_t(dialog.selectedRow())]);
        window.OrderWords();
        window.restoreCaret(caret);
        break;
    case TfrmMillAddInfl::Word: CallNewWord(word, false); break;
    case TfrmMillAddInfl::ExcludeWord:
        window.Exclude();
        window.OrderWords();
        window.restoreCaret(caret);
        break;
    case TfrmMillAddInfl::Flyword: {
        const QString text = window.display()->textCursor().selectedText();
        if (!text.isEmpty() && itemHooks().makeFlyword) {
            const Settings& s = session().settings;
            itemHooks().makeFlyword(text, QPoint(s.popSpotZX, s.popSpotZY), GetQBTS());
        }
        break;
    }
    case TfrmMillAddInfl::Cancel: break;
    }
}

}  // namespace qb
