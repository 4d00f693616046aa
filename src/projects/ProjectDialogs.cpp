#include "projects/ProjectDialogs.h"

#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "floor/HelpTopic.h"
#include "floor/Messages.h"
#include "projects/DirectoryMap.h"
#include "projects/Links.h"
#include "session/Session.h"

namespace qb {

namespace {

constexpr int kNewProjHeight = 118;
constexpr int kNewProjGridExtra = 126;

QPushButton* button(const QString& caption, QWidget* parent, const char* objectName)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    return b;
}

}  // namespace

ProjectDialogsState& projectDialogsState() { return session().part<ProjectDialogsState>(); }

ProjectDialog::ProjectDialog(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    SetHelpTopic(this, kHelpContext);
    if (const auto& place = projectDialogsState().place) move(*place);
}

void ProjectDialog::done(int result)
{
    projectDialogsState().place = pos();
    QDialog::done(result);
}

// ---- new project ----

TNewProj::TNewProj(const QString& presetTag, QWidget* parent)
    : ProjectDialog(parent),
      presetTag_(presetTag),
      name_(new QLineEdit(this)),
      url_(new QLabel(this)),
      test_(button(QStringLiteral("&Test more"), this, "test")),
      ok_(button(QStringLiteral("&OK"), this, "ok")),
      cancel_(button(QStringLiteral("&Cancel"), this, "cancel")),
      grab_(new QToolButton(this)),
      matches_(new QTableWidget(this))
{
    setObjectName(QStringLiteral("newProjectDialog"));
    setWindowTitle(QStringLiteral("ADD PROJECT/URL/SHORTCUT"));
    name_->setObjectName(QStringLiteral("name"));
    // The edit counts UTF-16 units: room for 38 characters of any kind; OK checks the count.
    name_->setMaxLength(2 * kProjectNameLength);
    QFont bold = name_->font();
    bold.setBold(true);
    name_->setFont(bold);
    url_->setObjectName(QStringLiteral("url"));
    grab_->setText(QStringLiteral("www"));
    grab_->setToolTip(QString::fromLatin1(projectdialogs::kGrabHint));
    test_->setVisible(false);
    matches_->setVisible(false);
    matches_->setColumnCount(4);
    matches_->setHorizontalHeaderLabels({QStringLiteral("Project"), QStringLiteral("PTS"),
                                         QStringLiteral("URL"), QStringLiteral("Tag")});
    matches_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    matches_->verticalHeader()->hide();
    ok_->setDefault(true);

    connect(name_, &QLineEdit::textEdited, this, [this] { nameEdited(); });
    connect(test_, &QPushButton::clicked, this, [this] { TestClick(); });
    connect(ok_, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(grab_, &QToolButton::clicked, this, [this] { GrabClick(); });

    auto* top = new QHBoxLayout;
    top->addWidget(url_, 1);
    top->addWidget(grab_);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(name_, 1);
    nameRow->addWidget(new QLabel(QStringLiteral("(max 38 chars)"), this));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(test_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addLayout(top);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);
    layout->addWidget(matches_);
    setMinimumWidth(380);
    resize(420, kNewProjHeight);
    name_->setFocus();
}

void TNewProj::nameEdited()
{
    tests_ = 0;
    matches_->setVisible(false);
    test_->setText(QStringLiteral("Test     "));
    test_->setVisible(true);
    test_->setDefault(true);
    ok_->setDefault(false);
    resize(width(), kNewProjHeight);
}

void TNewProj::showMatches(const std::vector<ProjectRecord>& rows)
{
    matches_->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const ProjectRecord& p = rows[size_t(r)];
        matches_->setItem(r, 0, new QTableWidgetItem(p.name));
        matches_->setItem(r, 1, new QTableWidgetItem(QString::number(double(p.pts), 'f', 8)));
        matches_->setItem(r, 2, new QTableWidgetItem(p.url));
        matches_->setItem(r, 3, new QTableWidgetItem(p.tag));
    }
    const int rowHeight = fontMetrics().height() + 6;
    const int gridHeight = rowHeight * int(rows.size()) + 24;
    matches_->setVisible(!rows.empty());
    if (!rows.empty()) {
        matches_->setFixedHeight(gridHeight);
        resize(width(), gridHeight + kNewProjGridExtra);
    } else {
        resize(width(), kNewProjHeight);
    }
    ok_->setEnabled(rows.empty());
}

void TNewProj::TestClick()
{
    const QString text = name_->text().trimmed().toUpper();
    name_->setText(text);
    if (tests_ == 0) {
        showMatches(ProjectsStartingWith(text));
        test_->setText(QStringLiteral("Test more"));
        tests_ = 1;
    } else {
        showMatches(ProjectsContaining(text));
        test_->setVisible(false);
        test_->setDefault(false);
        ok_->setDefault(true);
        tests_ = 2;
    }
}

void TNewProj::OKBtnClick()
{
    if (name_->text().trimmed().isEmpty()) return;
    // A name that cannot be stored is said so and stays in the edit to be changed.
    if (const QString problem = ProjectNameProblem(name_->text().trimmed()); !problem.isEmpty()) {
        ShowInfo(problem, QStringLiteral("np38"), kError, projectmessages::kHelp);
        return;
    }
    // An address too long for the URL field was reported when it came; it is not stored cut.
    const QString url = url_->text().size() <= kProjectUrlLength ? url_->text() : QString();
    created_ = CreateProject(name_->text(), presetTag_, url);
    if (created_)
        accept();
    else
        reject();
}

void TNewProj::presetFile(const QString& path, const QString& name)
{
    setWindowTitle(QString::fromLatin1(projectdialogs::kFileCaption));
    url_->setText(path);
    name_->setText(ProposedProjectName(name));
}

void TNewProj::GrabClick()
{
    const BrowserPage page = GetBrowserPage();
    if (page.address.isEmpty()) return;
    url_->setText(page.address);
    if (page.address.size() > kProjectUrlLength)
        ShowInfo(QStringLiteral("URL too long for storage"), QStringLiteral("np160"), kError,
                 projectmessages::kHelp);
    name_->setText(ProposedProjectName(page.title));
}

// ---- update ----

TUpd_Project::TUpd_Project(const ProjectRecord& project, QWidget* parent)
    : ProjectDialog(parent),
      openUrl_(project.url),
      openCategory_(project.tag),
      urlBlankAtOpening_(project.url.trimmed().isEmpty()),
      name_(new QLineEdit(project.name, this)),
      category_(new QComboBox(this)),
      url_(new QLineEdit(project.url, this)),
      blankNote_(new QLabel(
          QStringLiteral("Leaving the field blank will create a default .TXT file"), this))
{
    setObjectName(QStringLiteral("updateProjectDialog"));
    setWindowTitle(QStringLiteral("PROJECT UPDATE"));
    setSizeGripEnabled(true);
    name_->setObjectName(QStringLiteral("name"));
    name_->setReadOnly(true);
    QPalette readOnly = name_->palette();
    readOnly.setColor(QPalette::Base, readOnly.color(QPalette::Window));
    name_->setPalette(readOnly);
    category_->setObjectName(QStringLiteral("category"));
    category_->setEditable(true);
    category_->addItems(ProjectTags());
    category_->lineEdit()->setMaxLength(kProjectNameLength);
    // The combo box's own Return goes back to its current entry: that entry is the tag.
    const int tagAt = category_->findText(project.tag);
    category_->setCurrentIndex(tagAt);
    if (tagAt < 0) category_->setEditText(project.tag);
    url_->setObjectName(QStringLiteral("url"));
    url_->setMaxLength(kProjectUrlLength);
    blankNote_->setVisible(urlBlankAtOpening_);

    auto* grab = new QToolButton(this);
    grab->setText(QStringLiteral("www"));
    grab->setToolTip(QString::fromLatin1(projectdialogs::kGrabHint));
    connect(grab, &QToolButton::clicked, this, [this] { grabPage(); });
    auto* browse = new QToolButton(this);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setText(QStringLiteral("..."));
    browse->setToolTip(QString::fromLatin1(projectdialogs::kBrowseHint));
    connect(browse, &QToolButton::clicked, this, [this] { BrowseClick(); });
    QPushButton* ok = button(QStringLiteral("&OK"), this, "ok");
    QPushButton* cancel = button(QStringLiteral("&Cancel"), this, "cancel");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (OKBtnClick()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        CancelBtnClick();
        reject();
    });
    // The combo box keeps Return to itself; here it means OK.
    connect(category_->lineEdit(), &QLineEdit::returnPressed, ok, &QPushButton::click);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name"), name_);
    form->addRow(QStringLiteral("Category"), category_);
    auto* urlRow = new QHBoxLayout;
    urlRow->addWidget(url_, 1);
    urlRow->addWidget(grab);
    urlRow->addWidget(browse);
    form->addRow(QStringLiteral("URL, file or shortcut"), urlRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(blankNote_);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    setMinimumWidth(460);
    category_->setFocus();
}

bool TUpd_Project::OKBtnClick()
{
    ProjectUpdate update;
    update.name = name_->text();
    update.category = category_->currentText();
    update.url = url_->text();
    update.urlBlankAtOpening = urlBlankAtOpening_;
    return ConfirmProjectUpdate(update);
}

void TUpd_Project::CancelBtnClick() { CancelProjectUpdate(name_->text(), openUrl_, openCategory_); }

void TUpd_Project::BrowseClick() { applyBrowsed(RunDirectoryMap(url_->text(), this)); }

bool TUpd_Project::applyBrowsed(const QString& picked)
{
    if (picked.isEmpty()) return false;
    // A path keeps its case: upper-cased it would name another file, or none.
    if (!SetProjectUrl(name_->text(), picked, false, QStringLiteral("up115"))) return false;
    url_->setText(picked);
    return true;
}

void TUpd_Project::grabPage()
{
    const BrowserPage page = GetBrowserPage();
    if (page.address.isEmpty()) return;
    if (SetProjectUrl(name_->text(), page.address, false)) url_->setText(page.address);
}

// ---- delete ----

TDeleteProjFrm::TDeleteProjFrm(const QString& project, std::function<void()> unlink,
                               QWidget* parent)
    : ProjectDialog(parent),
      project_(project),
      unlink_(std::move(unlink)),
      ok_(button(QStringLiteral("&OK"), this, "ok")),
      refsOnly_(button(QStringLiteral("  &Ref:s Only"), this, "refsOnly")),
      cancel_(button(QStringLiteral("&Cancel"), this, "cancel"))
{
    setObjectName(QStringLiteral("deleteProjectDialog"));
    setWindowTitle(QStringLiteral("CONFIRM PROJECT DELETE"));
    auto* name = new QLineEdit(project, this);
    name->setObjectName(QStringLiteral("name"));
    name->setReadOnly(true);
    auto* text = new QLabel(
        QStringLiteral(
            "To delete a project means that connected items loose their connection to the "
            "project -- the items themselves are not affected.\n"
            "If you want to, you can remove the connection to all items, but keep the project. "
            "(Ref:s Only).\n"
            "The project delete commands leaves all connected items on the desktop.\n"
            "To rename a project: Clear items from desktop. Issue the Delete Project Command. "
            "Create a new project with the new name. Issue the Add Desktop/Reorder command."),
        this);
    text->setWordWrap(true);
    refsOnly_->setVisible(false);
    cancel_->setDefault(true);

    connect(ok_, &QPushButton::clicked, this, [this] {
        if (unlink_) unlink_();
        deleted_ = DeleteProjectRecord(project_);
        if (deleted_)
            ShowInfo(QString::fromLatin1(projectdialogs::kDeletedInfo), QString(), kInformation,
                     projectmessages::kHelp);
        accept();
    });
    connect(refsOnly_, &QPushButton::clicked, this, [this] {
        if (unlink_) unlink_();
        RemoveAllProjectLinks(project_);
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(refsOnly_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(text);
    layout->addLayout(buttons);
    setFixedWidth(420);
    // A wrapped label asks for one line's height; at a fixed width it needs all of its lines.
    const QMargins m = layout->contentsMargins();
    text->setMinimumHeight(text->heightForWidth(420 - m.left() - m.right()));
}

void TDeleteProjFrm::checkReferences()
{
    if (!ProjectHasReferences(project_)) return;
    if (ShowInfo(QString::fromLatin1(projectmessages::kReferences), QStringLiteral("dp47"),
                 kQuestionNo, projectmessages::kHelp))
        refsOnly_->setVisible(true);
    else
        ok_->setEnabled(false);
}

// ---- category ----

TTagSelect::TTagSelect(bool filterOn, QWidget* parent)
    : ProjectDialog(parent),
      tags_(new QListWidget(this)),
      ok_(button(QStringLiteral("&OK"), this, "ok")),
      undo_(button(QStringLiteral("&Undo"), this, "undo")),
      filterOn_(filterOn)
{
    setObjectName(QStringLiteral("tagSelectDialog"));
    setWindowTitle(QStringLiteral("VIEW PROJECTS BY CATEGORY"));
    tags_->setObjectName(QStringLiteral("tags"));
    tags_->addItems(ProjectTags());
    undo_->setEnabled(filterOn_);
    ok_->setDefault(true);
    QPushButton* cancel = button(QStringLiteral("&Cancel"), this, "cancel");
    connect(ok_, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(tags_, &QListWidget::itemDoubleClicked, this, [this] { OKBtnClick(); });
    connect(undo_, &QPushButton::clicked, this, [this] {
        filterOn_ = false;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(undo_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tags_);
    layout->addLayout(buttons);
    resize(360, 300);
}

void TTagSelect::OKBtnClick()
{
    QListWidgetItem* item = tags_->currentItem();
    if (!item) return;
    const QString chosen = item->text().toUpper();
    if (StampCategory(chosen) < 0) return;
    tag_ = chosen;
    filterOn_ = true;
    accept();
}

// ---- find ----

TFind_Project::TFind_Project(QWidget* parent) : ProjectDialog(parent), text_(new QComboBox(this))
{
    setObjectName(QStringLiteral("findProjectDialog"));
    setWindowTitle(QStringLiteral("FIND PROJECT"));
    text_->setObjectName(QStringLiteral("text"));
    text_->setEditable(true);
    text_->setInsertPolicy(QComboBox::NoInsert);
    text_->lineEdit()->setMaxLength(kProjectNameLength);
    text_->addItems(projectDialogsState().findHistory);
    text_->setEditText(QString());
    QPushButton* start = button(QStringLiteral("&Start"), this, "start");
    QPushButton* next = button(QStringLiteral("&Next"), this, "next");
    QPushButton* esc = button(QStringLiteral("Esc - unvis."), this, "escape");
    next->setDefault(true);
    connect(start, &QPushButton::clicked, this, [this] { StartClick(); });
    connect(next, &QPushButton::clicked, this, [this] { NextClick(); });
    connect(esc, &QPushButton::clicked, this, &QDialog::reject);
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, this, [this] { NextClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start);
    buttons->addWidget(next);
    buttons->addWidget(esc);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
    setMinimumWidth(320);
    text_->setFocus();
}

void TFind_Project::search(bool fromStart)
{
    const QString text = text_->currentText();
    AddFindHistory(projectDialogsState().findHistory, text);
    if (fromStart)
        FindProjectStart(text);
    else
        FindProjectNext(text);
    accept();
}

void TFind_Project::StartClick() { search(true); }

void TFind_Project::NextClick() { search(false); }

// ---- runs ----

TagChoice RunTagSelectDialog(bool filterOn, QWidget* parent)
{
    TTagSelect dialog(filterOn, parent);
    dialog.exec();
    return {dialog.tag(), dialog.filterOn()};
}

std::optional<Timestamp> RunNewProjectDialog(const QString& presetTag, QWidget* parent)
{
    TNewProj dialog(presetTag, parent);
    dialog.exec();
    return dialog.created();
}

std::optional<Timestamp> RunNewProjectDialogForFile(const QString& presetTag, const QString& path,
                                                    const QString& name, QWidget* parent)
{
    TNewProj dialog(presetTag, parent);
    dialog.presetFile(path, name);
    dialog.exec();
    return dialog.created();
}

std::optional<Timestamp> RunGrabUrlDialog(QWidget* parent)
{
    TNewProj dialog(QString(), parent);
    dialog.GrabClick();
    dialog.exec();
    return dialog.created();
}

bool RunUpdateProjectDialog(const QString& project, QWidget* parent)
{
    std::optional<ProjectRecord> record = FindProject(project);
    if (!record) return false;
    TUpd_Project dialog(*record, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool RunDeleteProjectDialog(const QString& project, std::function<void()> unlink, QWidget* parent)
{
    TDeleteProjFrm dialog(project, std::move(unlink), parent);
    dialog.checkReferences();
    dialog.exec();
    return dialog.deleted();
}

Timestamp RunFindProjectDialog(QWidget* parent)
{
    TFind_Project dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return 0;
    return projectState().findResult;
}

}  // namespace qb
