#pragma once

#include "backup/RestorePackage.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace qb {

enum class RestoreMode { Restore, Merge };

// The message every refused package ends with.
inline const QString kArchiveNotOk = QStringLiteral("The archive file is not OK");

// One package word in the order of the package's word table.
struct PackageWord {
    QString word;  // null when the row has none
    std::optional<qint64> number;
};

// New numbers for the package's words, as the word-by-word walk hands them out: a word whose
// text the store has (exactly, the first such store row) takes that word's number; any other
// takes the next number above both the store's highest and the last one handed out. A use row
// whose number equals a package word's old number follows the first such word; step tells
// which (its index), so that rows merged into one by the renumbering keep the earliest.
struct Renumbering {
    std::vector<qint64> newNumbers;  // one per package word
    struct Use {
        qint64 newNumber;
        int step;
    };
    QHash<qint64, Use> uses;  // old number -> new number and the word's index
};
Renumbering ReIdentify(const std::vector<PackageWord>& words,
                       const QHash<QString, qint64>& storeWords, qint64 storeHighest);

// What happened to one table's rows.
struct TableCounts {
    QString table;
    qint64 inPackage = 0;
    qint64 added = 0;
    qint64 replaced = 0;
    qint64 notTaken = 0;  // rows without a whole key, or merged into another by the renumbering
};

struct RestoreResult {
    bool committed = false;
    QString problem;  // why nothing was changed
    std::vector<TableCounts> tables;
    qint64 notTaken() const;
    // One line per table: "WORD: 12 in package, 3 added, 9 replaced, 0 not taken".
    QString summary() const;
};

using ProgressFn = std::function<void(int)>;

// A package on its way into the store: unpacked and checked in the scratch folder by
// prepare(), brought in by apply() in one transaction. The scratch folder is cleared when the
// object goes.
class PackageImport {
public:
    PackageImport() = default;
    ~PackageImport();
    PackageImport(const PackageImport&) = delete;
    PackageImport& operator=(const PackageImport&) = delete;

    // Checks the listing, unpacks and checks every unpacked table against the store.
    // Nothing in the store changes. False with problem() when the package is not OK.
    bool prepare(const QString& zipPath);
    QString problem() const { return problem_; }
    bool oldForm() const { return state_.oldForm; }
    bool inflecPresent() const { return state_.inflecPresent; }
    // How many of the store's items a merge would give another text (the package's item of the
    // same id replaces it); -1 when it cannot be told.
    qint64 changedItemTexts() const;

    // Restore: empties every store table and appends the package; merge: appends it with its
    // words renumbered to fit. Both empty SCHED and refresh the frequency marks of the words
    // whose keyword links they change. One transaction: the whole package is in the store
    // afterwards, or the store is as before.
    RestoreResult apply(RestoreMode mode, const ProgressFn& progress = {});

private:
    QString problem_;
    UnpackedState state_;
    bool prepared_ = false;
};

// What the restore needs of code above it.
struct RestoreHooks {
    // Offers a backup of the store before a restore empties it; false stops the restore with
    // nothing changed. Bound by the lead to the backup's code; unbound: no offer.
    std::function<bool()> offerBackup;
    // A merge without questions tells it how many store items get another text; false stops
    // the merge with nothing changed. Set by the CLI; unbound: the merge goes on.
    std::function<bool(qint64 changedTexts)> confirmChangedTexts;
};
RestoreHooks& restoreHooks();

enum class RestoreOutcome {
    WrongName,  // "Select a correct QB archive file!": choose again
    NotOk,      // "The archive file is not OK": nothing changed
    Declined,   // the user said No to a question: nothing changed
    Failed,     // the transaction failed: nothing changed
    Done,
};

struct RestoreRequest {
    QString path;
    RestoreMode mode = RestoreMode::Merge;
    // false: no confirmations (the CLI took --yes). An old-form package given to a restore is
    // still asked about, since the answer changes what is done.
    bool ask = true;
    ProgressFn progress;  // 0 ... 99
};

struct RestoreRun {
    RestoreOutcome outcome = RestoreOutcome::NotOk;
    RestoreMode mode = RestoreMode::Merge;  // restore may turn into a merge on the user's word
    RestoreResult result;
    QString problem;          // why the package was refused
    qint64 changedTexts = 0;  // store items whose text a merge replaces
};

// The whole run once a file is chosen, for the dialog and the CLI: unpack and check, ask every
// question (restore: the erase question, Clear All Data's two questions and the backup offer;
// merge: the last one says how many store items get another text), and only after the last Yes
// empty and append in one transaction. Messages as the dialog gives them, a refusal with its
// reason on a second line; the scratch folder is cleared at the end.
RestoreRun RunPackageImport(const RestoreRequest& request);

// The line that tells how many store items a merge gives another text (count from
// PackageImport::changedItemTexts).
QString changedTextsLine(qint64 count);

// True when the chosen name may be a package ("Select a correct QB archive file!" otherwise).
bool LooksLikePackageName(const QString& path);
// True for a self-extracting package, which cannot be run on this platform.
bool IsSelfExtractingName(const QString& path);
extern const QString kSelfExtractingRefused;

}  // namespace qb
