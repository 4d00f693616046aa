#include "cards/CommandPanel.h"

#include "cards/CommandRows.h"
#include "cards/RecorderPanel.h"
#include "floor/HelpTopic.h"
#include "floor/Messenger.h"
#include "platform/FileNames.h"
#include "session/Session.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMediaDevices>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace qb {

namespace {

std::function<void(TMyPopUpMenu&)>& testAnswer()
{
    static std::function<void(TMyPopUpMenu&)> answer;
    return answer;
}

std::function<QString(const TMyPopUpMenu::FileDialogRequest&)>& fileDialogAnswer()
{
    static std::function<QString(const TMyPopUpMenu::FileDialogRequest&)> answer;
    return answer;
}

std::function<bool()>& audioProbe()
{
    static std::function<bool()> probe;
    return probe;
}

// The original window's frame: the row heights and button places are given for it.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 24;
constexpr QSize kCancelSize{33, 36};

const QStringList& restoredCommands()
{
    static const QStringList commands = {QStringLiteral("Delete"), QStringLiteral("RemoveKey"),
                                         QStringLiteral("Drop"), QStringLiteral("TestWord")};
    return commands;
}

// A small picture for a row button: the row's key letter on a tinted square.
QIcon rowPicture(const QString& command, const QString& keys)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const uint hue = qHash(command) % 360;
    p.setBrush(QColor::fromHsv(int(hue), 90, 225));
    p.setPen(QColor(80, 80, 80));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    QString glyph = keys.isEmpty() ? QStringLiteral("\u2022") : keys.left(1);
    if (command == QStringLiteral("GoText")) {
        f.setPixelSize(7);
        p.setFont(f);
        glyph = QStringLiteral("text");
    }
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, glyph);
    return QIcon(pm);
}

}  // namespace

// --- rows ---

TCommandRow::TCommandRow(TMyPopUpMenu& panel, const QString& caption, const QString& hint,
                         const QString& command, const QIcon& picture, bool temporary)
    : QFrame(&panel), panel_(panel), command_(command), temporary_(temporary)
{
    setObjectName(command);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setFixedSize(commandpanel::kWidth, commandpanel::kRowHeight);
    auto* b = new QToolButton(this);
    b->setAutoRaise(true);
    b->setIcon(picture);
    b->setIconSize(QSize(16, 16));
    b->setFixedSize(16, 16);
    b->move(4, 6);
    b->setFocusPolicy(Qt::NoFocus);
    if (!hint.isEmpty()) b->setToolTip(hint);
    connect(b, &QToolButton::clicked, this, [this] { panel_.chooseCommand(command_); });
    button_ = b;
    label_ = new QLabel(this);
    label_->setTextFormat(Qt::RichText);
    label_->move(40, 8);
    label_->setFixedSize(temporary ? 100 : commandpanel::kWidth - 44, 16);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (temporary) setToolTip(caption);
    setCaption(caption);
    hide();
}

void TCommandRow::setCaption(const QString& caption)
{
    caption_ = caption;
    label_->setText(AcceleratorToRichText(caption));
}

QRect TCommandRow::captionRect() const
{
    QString letters = caption_;
    letters.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
    letters.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    const int width = label_->fontMetrics().horizontalAdvance(letters.trimmed());
    return QRect(label_->pos(), QSize(std::min(width, label_->width()), label_->height()));
}

void TCommandRow::mousePressEvent(QMouseEvent* e)
{
    e->accept();
    panel_.chooseCommand(command_);
}

// --- the panel ---

namespace {

// The one panel of the run. A widget must not die after the application object, so a panel
// still there when the session ends with the process is left to the system.
struct CommandPanelState {
    QPointer<TMyPopUpMenu> panel;
    ~CommandPanelState()
    {
        if (panel && QCoreApplication::instance()) delete panel.data();
    }
};

}  // namespace

TMyPopUpMenu& TMyPopUpMenu::instance()
{
    CommandPanelState& s = session().part<CommandPanelState>();
    if (!s.panel) s.panel = new TMyPopUpMenu;
    return *s.panel;
}

TMyPopUpMenu::TMyPopUpMenu()
    : QDialog(nullptr,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("commandPanel"));
    setWindowTitle(QStringLiteral("Record information"));
    SetHelpTopic(this, commandpanel::kHelpContext);
    setModal(true);
    setSizeGripEnabled(false);
    QFont system(QStringLiteral("System"));
    system.setPixelSize(13);
    setFont(system);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);

    rowsBox_ = new QWidget(this);
    rowsLayout_ = new QVBoxLayout(rowsBox_);
    rowsLayout_->setContentsMargins(0, 0, 0, 0);
    rowsLayout_->setSpacing(0);
    rowsLayout_->setAlignment(Qt::AlignTop);
    rowsBox_->move(0, 0);

    for (const CommandRow& r : FixedCommandRows()) {
        auto* row = new TCommandRow(*this, r.caption, r.hint, r.command,
                                    rowPicture(r.command, r.keys), false);
        fixedRows_.push_back(row);
        watch(row);
    }
    recorder_ = new TRecorderRow(*this);
    recorder_->hide();
    watch(recorder_);

    cancel_ = new QPushButton(QStringLiteral(" "), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setFixedSize(kCancelSize);
    cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    cancel_->setLayoutDirection(Qt::RightToLeft);  // picture right of the caption
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    cancel_->setFont(arial);
    cancel_->setToolTip(QStringLiteral("Cancel"));
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    watch(cancel_);

    setFixedWidth(commandpanel::kWidth);
    resize(commandpanel::kWidth, commandpanel::kCleanHeight - kFrameHeight);
}

void TMyPopUpMenu::setTestAnswer(std::function<void(TMyPopUpMenu&)> answer)
{
    testAnswer() = std::move(answer);
}

void TMyPopUpMenu::setFileDialogAnswer(std::function<QString(const FileDialogRequest&)> answer)
{
    fileDialogAnswer() = std::move(answer);
}

void TMyPopUpMenu::setAudioDeviceProbe(std::function<bool()> probe)
{
    audioProbe() = std::move(probe);
}

bool TMyPopUpMenu::audioDevicePresent()
{
    if (audioProbe()) return audioProbe()();
    return !QMediaDevices::audioOutputs().isEmpty();
}

void TMyPopUpMenu::watch(QWidget* w)
{
    w->installEventFilter(this);
    for (QWidget* child : w->findChildren<QWidget*>()) child->installEventFilter(this);
}

QString TMyPopUpMenu::choose(QWidget* card, QPoint at, const Request& request)
{
    Q_UNUSED(card);
    setPointerPoint(at);
    MenuClean();
    setPanelCaption(request.caption);
    for (const TemporaryRow& t : request.temporaryRows)
        AddCommandRow(t.caption, t.picture, t.glyphs, t.command);
    QStringList placed;
    for (const QString& command : request.rows) {
        if (!row(command) || placed.contains(command)) continue;
        showRow(command);
        placed << command;
    }
    for (const TemporaryRow& t : request.temporaryRows)
        if (!placed.contains(t.command)) showRow(t.command);
    for (auto it = request.labels.begin(); it != request.labels.end(); ++it)
        setRowLabel(it.key(), it.value());
    if (request.recorder && session().settings.audioEnabled && audioDevicePresent()) showRecorder();
    fitHeightToRows();
    return run();
}

void TMyPopUpMenu::MenuClean()
{
    resize(commandpanel::kWidth, commandpanel::kCleanHeight - kFrameHeight);
    for (auto& t : temporaryRows_) {
        if (!t) continue;
        rowsLayout_->removeWidget(t);
        delete t.data();
    }
    temporaryRows_.clear();
    for (TCommandRow* r : fixedRows_) {
        rowsLayout_->removeWidget(r);
        r->hide();
    }
    rowsLayout_->removeWidget(recorder_);
    recorder_->hide();
    recorderVisible_ = false;
    shown_.clear();
    setWindowTitle(QString());
    rightCancel_ = false;
    origin_ = PanelOrigin(pointer_);
    move(origin_);
    update();
}

TCommandRow* TMyPopUpMenu::AddCommandRow(const QString& caption, const QIcon& picture, int glyphs,
                                         const QString& command)
{
    Q_UNUSED(glyphs);
    QIcon pic = picture.isNull() ? rowPicture(command, QString()) : picture;
    auto* r = new TCommandRow(*this, caption, caption, command, pic, true);
    temporaryRows_.emplace_back(r);
    watch(r);
    return r;
}

QWidget* TMyPopUpMenu::row(const QString& command) const
{
    // Temporary rows first: one opening may add a row under a fixed row's command name.
    for (const auto& t : temporaryRows_)
        if (t && t->command() == command) return t;
    for (TCommandRow* r : fixedRows_)
        if (r->command() == command) return r;
    return nullptr;
}

void TMyPopUpMenu::showRow(const QString& command)
{
    QWidget* r = row(command);
    if (!r || shown_.contains(command)) return;
    rowsLayout_->addWidget(r);
    r->show();
    shown_ << command;
}

void TMyPopUpMenu::showRecorder()
{
    if (recorderVisible_) return;
    rowsLayout_->addWidget(recorder_);
    recorder_->show();
    recorderVisible_ = true;
}

void TMyPopUpMenu::setRowLabel(const QString& command, const QString& caption)
{
    if (auto* r = qobject_cast<TCommandRow*>(row(command))) r->setCaption(caption);
}

QString TMyPopUpMenu::rowLabel(const QString& command) const
{
    auto* r = qobject_cast<TCommandRow*>(row(command));
    return r ? r->caption() : QString();
}

void TMyPopUpMenu::fitHeightToRows()
{
    int rows = int(shown_.size()) + (recorderVisible_ ? 1 : 0);
    int client = std::max(PanelHeight(rows) - kFrameHeight, kCancelSize.height());
    resize(commandpanel::kWidth, client);
    rowsBox_->setFixedSize(commandpanel::kWidth, rows * commandpanel::kRowHeight);
}

QStringList TMyPopUpMenu::shownRows() const { return shown_; }

int TMyPopUpMenu::temporaryRowCount() const
{
    int n = 0;
    for (const auto& t : temporaryRows_)
        if (t) ++n;
    return n;
}

bool TMyPopUpMenu::recorderShown() const { return recorderVisible_; }

QString TMyPopUpMenu::run()
{
    if (testAnswer()) {
        show();
        testAnswer()(*this);
        if (isVisible()) reject();
        return command_;
    }
    exec();
    return command_;
}

void TMyPopUpMenu::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    activate();
}

void TMyPopUpMenu::activate()
{
    command_.clear();
    // Cancel sits at the right of the last rows, above the recorder when that is shown.
    const int outerWidth = width() + kFrameWidth;
    const int outerHeight = height() + kFrameHeight;
    int top = recorderVisible_ ? outerHeight - 90 : outerHeight - 66;
    top = std::clamp(top, 0, std::max(0, height() - kCancelSize.height()));
    cancel_->move(outerWidth - 44, top);
    // With few rows, or a long caption beside it, Cancel would hide letters of a row: it then
    // goes below the rows and the panel grows to hold it.
    rowsLayout_->activate();
    int rowsBottom = 0;
    bool covers = false;
    for (const QString& command : shown_) {
        auto* r = qobject_cast<TCommandRow*>(row(command));
        if (!r || !r->isVisible()) continue;
        const QPoint at = r->mapTo(this, QPoint(0, 0));
        rowsBottom = std::max(rowsBottom, at.y() + r->height());
        if (r->captionRect().translated(at).intersects(cancel_->geometry())) covers = true;
    }
    if (recorderVisible_) rowsBottom = std::max(rowsBottom, recorder_->geometry().bottom() + 1);
    if (covers) {
        resize(width(), rowsBottom + kCancelSize.height() + 2);
        cancel_->move(outerWidth - 44, rowsBottom + 1);
    }
    cancel_->raise();

    // Left and top are those of the window with its frame; the frame may not be known yet when
    // the window first shows, so the platform's margins are taken.
    QMargins m = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    QSize frameSize = frameGeometry().size().expandedTo(size().grownBy(m));
    QPoint topLeft = origin_;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        topLeft = KeepOnScreen(origin_, frameSize, screen->geometry().size());
    setGeometry(QRect(topLeft + QPoint(m.left(), m.top()), size()));
    cancel_->setFocus(Qt::OtherFocusReason);
    session().messenger().setWaitCursor(false);
    QCursor::setPos(pointer_);
}

void TMyPopUpMenu::chooseCommand(const QString& command)
{
    command_ = command;
    accept();
}

void TMyPopUpMenu::done(int result)
{
    if (result == QDialog::Rejected) command_.clear();
    if (recorder_) recorder_->stop();
    restoreLabels();
    QDialog::done(result);
}

void TMyPopUpMenu::restoreLabels()
{
    for (const QString& command : restoredCommands()) {
        for (TCommandRow* r : fixedRows_)
            if (r->command() == command) r->setCaption(DefaultCaption(command));
    }
}

bool TMyPopUpMenu::handleKey(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    QString text = e->text();
    if (text.size() != 1 || (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    QString command = CommandForKey(text.at(0));
    if (command.isEmpty()) return text.at(0).isLetter();  // letters without a command do nothing
    chooseCommand(command);
    return true;
}

void TMyPopUpMenu::keyPressEvent(QKeyEvent* e)
{
    if (handleKey(e)) return;
    QDialog::keyPressEvent(e);
}

bool TMyPopUpMenu::eventFilter(QObject* watched, QEvent* e)
{
    // The panel sees every key before its controls.
    if (e->type() == QEvent::KeyPress && isVisible()) {
        if (handleKey(static_cast<QKeyEvent*>(e))) return true;
    }
    if (watched == cancel_ && e->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
        rightCancel_ = true;
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

// --- sound recorder ---

void TMyPopUpMenu::RecorderSave()
{
    recorder_->stop();
    chooseCommand(QStringLiteral("SaveAudio"));
}

void TMyPopUpMenu::RecorderLoad()
{
    const QString dir = session().dir();
    QString candidate = session().filePath(QStringLiteral("empty.wav"));
    FileDialogRequest request;
    request.title =
        QStringLiteral("Select sound file for this item or press Esc for an empty sound track");
    request.filter = FilterToQt(QStringLiteral("*.wav sound files|*.wav"));
    request.directory = dir;
    QString picked = runFileDialog(request);
    if (!picked.isEmpty()) candidate = picked;
    recorder_->closePlayer();
    const QString target = TRecorderRow::recordingPath();
    if (QFileInfo::exists(candidate)) {
        // Picking the recording itself must not delete it.
        if (QFileInfo(candidate).canonicalFilePath() != QFileInfo(target).canonicalFilePath()) {
            files::removeIfPresent(dir, QStringLiteral("new.wav"));
            QFile::copy(candidate, target);
        }
        session().settings.audioEnabled = QFileInfo::exists(target) && QFileInfo::exists(candidate);
    }
    recorder_->openPlayer();
}

// --- outline map dialogs ---

void TMyPopUpMenu::setOutlineFilter(const QString& filter, const QString& folder)
{
    outlineFilter_ = filter.contains(QLatin1Char('|')) ? FilterToQt(filter) : filter;
    outlineFolder_ = folder;
}

QString TMyPopUpMenu::OutlineAdminGetFile()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select outline map for Projects table");
    request.directory = outlineFolder_;
    request.filter = outlineFilter_;
    request.defaultSuffix = QStringLiteral("qbo");
    QString picked = runFileDialog(request);
    if (!picked.isEmpty()) saveFileName_ = picked;
    return picked;
}

QString TMyPopUpMenu::OutlineAdminSaveFile()
{
    // The save starts where Load Outline looks, so a saved outline is found again.
    const QString folder = outlineFolder_.isEmpty() ? session().dir() : outlineFolder_;
    saveFileName_ = QDir(folder).filePath(QStringLiteral("first.outline"));
    FileDialogRequest request;
    request.title = QStringLiteral("Saving an outline map for Projects table");
    request.directory = outlineFolder_;
    request.filter = outlineFilter_;
    request.defaultSuffix = QStringLiteral("qbo");
    request.presetFile = saveFileName_;
    request.save = true;
    QString chosen = runFileDialog(request);
    return chosen.isEmpty() ? saveFileName_ : chosen;
}

QString TMyPopUpMenu::runFileDialog(const FileDialogRequest& request)
{
    if (fileDialogAnswer()) return fileDialogAnswer()(request);
    QFileDialog dialog(this, request.title, request.directory, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    QStringList filters = dialog.nameFilters();
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());
    if (!request.presetFile.isEmpty()) dialog.selectFile(request.presetFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace qb
