#include "search/SearchCommands.h"

#include "cards/Desktop.h"
#include "desktop/DesktopLayout.h"
#include "desktop/LayoutCommands.h"
#include "desktop/PopulateDesktop.h"
#include "dictionary/DialogPlace.h"
#include "floor/Messages.h"
#include "floor/RunContext.h"
#include "floor/RunGuard.h"
#include "search/FindWordDialog.h"
#include "search/ItemTextIndex.h"
#include "session/Session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>

#include <atomic>
#include <thread>

namespace qb::search {

namespace {

constexpr int kEnableAfterMs = 10000;

// The one-shot timer that gives the desktop its input back even when a search hangs in a dialog.
void disableForSearch(TDesktop& desktop)
{
    auto* timer =
        desktop.findChild<QTimer*>(QStringLiteral("searchEnableTimer"), Qt::FindDirectChildrenOnly);
    if (!timer) {
        timer = new QTimer(&desktop);
        timer->setObjectName(QStringLiteral("searchEnableTimer"));
        timer->setSingleShot(true);
        QPointer<TDesktop> d(&desktop);
        QObject::connect(timer, &QTimer::timeout, &desktop, [d] {
            if (d) d->setTakesInput(true);
        });
    }
    desktop.setTakesInput(false);
    timer->start(kEnableAfterMs);
}

SearchOutcome runOnDesktop(TDesktop& desktop, int toolBarHeight, const SearchRequest& request)
{
    Session& s = session();
    const Settings& settings = s.settings;
    const LayoutScreen screen = CurrentLayoutScreen(toolBarHeight);
    PlacingCursor& cursor = placingCursor();
    disableForSearch(desktop);

    SearchCallbacks callbacks;
    callbacks.conceptFound = [&](const ConceptHit& hit) {
        OrderCardsPos(desktop, screen, settings.horizontal, settings.vertical);
        int groupColor = 0;
        DevelopSynWheelSet(desktop, {hit.conceptId}, QPoint(cursor.x, cursor.y), kNoItemToSkip,
                           true, groupColor);
    };
    callbacks.itemFound = [&](const ItemHit& hit) {
        // The item phase counts from one again and starts its own diagonal.
        if (hit.found == 1)
            cursor.start(1, settings.generalOffsetSideBorder, TopLine(screen, settings));
        OrderCardsPos(desktop, screen, settings.horizontal, settings.vertical);
        Pick1Item(desktop, QPoint(cursor.x, cursor.y), hit.itemId, kHitColor, hit.at.start,
                  hit.at.length, settings.selectMarkFoundCards);
    };
    callbacks.stopNow = [] {
        return AskYesDefault(QString::fromLatin1(messages::kStopNow), messages::kStopNowHelp);
    };
    QPointer<TDesktop> guarded(&desktop);
    callbacks.processEvents = [guarded] {
        if (guarded) guarded->processEvents();
    };

    if (request.type == SearchType::ConceptsAndItems)
        cursor.start(1, settings.generalOffsetSideBorder + 300, TopLine(screen, settings));
    SearchOutcome outcome = RunTextSearch(request, callbacks, &desktop);
    if (guarded) guarded->setTakesInput(true);
    return outcome;
}

}  // namespace

SearchOutcome ItemTextSearch(TDesktop& desktop, int toolBarHeight,
                             const std::optional<SearchRequest>& given)
{
    Session& s = session();
    s.messenger().setWaitCursor(true);
    s.hooks.commit();
    RunGuard guard(s.commitRunning);
    SearchOutcome outcome;
    SearchRequest request;
    if (given) {
        request = *given;
        request.text = request.text.left(50);
        request.fromDialog = false;
    } else {
        TFind_Word& dialog = TFind_Word::instance();
        placeSmallDialog(dialog);
        s.messenger().setWaitCursor(false);
        const bool accepted = dialog.exec() == QDialog::Accepted;
        s.messenger().setWaitCursor(true);
        // Cancel ends here, whatever the options say.
        if (!accepted) {
            s.messenger().setWaitCursor(false);
            return outcome;
        }
        request = dialog.request();
        request.fromDialog = true;
    }
    if (!request.text.isEmpty() || request.picturesOnly)
        outcome = runOnDesktop(desktop, toolBarHeight, request);
    s.messenger().setWaitCursor(false);
    return outcome;
}

SearchOutcome FindTextFromToolBar(TDesktop& desktop, int toolBarHeight)
{
    TFind_Word::instance().setInputText(QString());
    return ItemTextSearch(desktop, toolBarHeight);
}

void ClearFindEntries()
{
    searchState().history.clear();
    TFind_Word::instance().refreshHistory();
}

}  // namespace qb::search

namespace qb::search {

namespace {

// One build of the text index on a thread of its own. It lives on the main thread, so the
// worker's progress reaches the window through queued calls; deleting it stops the worker and
// waits for it.
class IndexBuildJob : public QObject {
public:
    IndexBuildJob(QMainWindow* window, const QString& dir, const QString& startedAt)
        : QObject(QCoreApplication::instance()), window_(window), dir_(dir)
    {
        searchState().indexBuilding = true;
        showProgress(0, 0);
        worker_ = std::thread([this, startedAt] {
            QElapsedTimer shown;
            shown.start();
            const bool built = ItemTextIndex::BuildInBatches(
                dir_, startedAt, [this, &shown](qint64 done, qint64 total) {
                    if (shown.elapsed() >= kProgressEveryMs) {
                        shown.restart();
                        QMetaObject::invokeMethod(
                            this, [this, done, total] { showProgress(done, total); },
                            Qt::QueuedConnection);
                    }
                    return !stop_.load();
                });
            QMetaObject::invokeMethod(
                this, [this, built] { finished(built); }, Qt::QueuedConnection);
        });
    }
    ~IndexBuildJob() override
    {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
    }

private:
    static constexpr int kProgressEveryMs = 200;

    void showProgress(qint64 done, qint64 total)
    {
        if (!window_) return;
        const int percent = total > 0 ? int(done * 100 / total) : 0;
        window_->statusBar()->show();
        window_->statusBar()->showMessage(
            QStringLiteral("Preparing the item texts for Find: %1% (Find works meanwhile, more "
                           "slowly)")
                .arg(percent));
    }
    void finished(bool built)
    {
        if (worker_.joinable()) worker_.join();
        deleteLater();
        // Another store opened meanwhile has a search state of its own.
        if (runContext().dir() != dir_) return;
        searchState().indexBuilding = false;
        if (window_) {
            window_->statusBar()->clearMessage();
            window_->statusBar()->hide();
        }
        // A build that failed leaves the file to be built at the next start; until then the
        // searches walk rather than build it again in the window's time.
        if (!built) searchState().indexEnabled = false;
    }

    QPointer<QMainWindow> window_;
    const QString dir_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

}  // namespace

void BuildTextIndexBeside(QMainWindow* window)
{
    SearchState& state = searchState();
    if (state.indexBuilding || !state.indexEnabled) return;
    const QString startedAt = itemTextIndex().startBuild();
    if (startedAt.isEmpty()) return;
    new IndexBuildJob(window, runContext().dir(), startedAt);
}

}  // namespace qb::search
