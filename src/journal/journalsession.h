#pragma once

#include "journal/grid.h"
#include "journal/journalhistory.h"
#include "journal/journalversions.h"
#include "journal/journallock.h"
#include "rating/gradingscale.h"
#include "rating/recalculation.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

// What names a journal: the catalogue's texts of one entry, or the main
// window's identity edits.
struct JournalIdentity
{
    QString group;   // "Группа": the group folder
    QString subject; // "Предмет"
    QString folder;  // "Папка": the journal folder inside the group folder
    QString term;    // "Семестр"
    QString year;    // "Год"
    QString comment; // "Комментарий"
};

// What the program has open: the data root with its catalogue, the current
// journal (its folder and identity, the journal, theme and widths grids), the
// grading thresholds as typed, and what the recalculation fills (the result
// grids Itog and Uspev, the indicators, the dynamics grid Summi). The windows
// show it; the command-line commands use it without a window.
class JournalSession : public QObject
{
    Q_OBJECT
public:
    // The data root; relative paths of the data files are taken inside it.
    explicit JournalSession(const QString &dataRoot, QObject *parent = nullptr);

    const QString &dataRoot() const { return m_root; }
    // A path inside the data root.
    QString rootPath(const QString &relative) const;

    Grid &catalogue() { return m_catalogue; }
    Grid &journal() { return m_journal; }
    Grid &themes() { return m_themes; }
    Grid &summi() { return m_summi; }
    Grid &itog() { return m_itog; }
    Grid &uspev() { return m_uspev; }
    const Grid &catalogue() const { return m_catalogue; }
    const Grid &journal() const { return m_journal; }
    const Grid &themes() const { return m_themes; }
    const Grid &summi() const { return m_summi; }
    const Grid &itog() const { return m_itog; }
    const Grid &uspev() const { return m_uspev; }

    Thresholds &thresholds() { return m_thresholds; }
    const Thresholds &thresholds() const { return m_thresholds; }
    Indicators &indicators() { return m_indicators; }
    const Indicators &indicators() const { return m_indicators; }

    // The current journal: its folder, group code "/" folder name (empty before
    // the first load), and the identity it was opened or saved with.
    const QString &folderPath() const { return m_folderPath; }
    const JournalIdentity &identity() const { return m_identity; }

    // "Baza/Gurnali.txt" into the catalogue grid.
    void readCatalogue();
    // The catalogue grid into "Baza/Gurnali.txt", under the catalogue's lock
    // "Baza/Gurnali.lock". Refused (ZError) when another program changed the
    // file since this one read or wrote it: writing the grid would drop its
    // entries.
    void saveCatalogue();
    // True when the file differs from what this program last read or wrote.
    bool catalogueChangedOnDisk() const;
    // Reads the catalogue again when another program changed the file and the
    // grid holds no edits of this one; true when it did.
    bool refreshCatalogue();
    // ZError when the catalogue cannot be changed now without losing entries:
    // the file was changed by another program and the grid has edits too.
    void checkCatalogueChangeable() const;
    // Removes the entry of a deleted journal: the entry in `row` when it still
    // holds these group and folder texts, else the first that does (the file,
    // read again under the lock, may have moved it). Saved at once.
    void removeFromCatalogue(int row, const QString &group, const QString &folder);
    // True when the catalogue grid differs from what was last read or saved.
    bool catalogueModified() const;
    // The identity of catalogue entry `row` (texts as they stand).
    JournalIdentity catalogueEntry(int row) const;

    // The journal load, in its fixed order: "SpStud.txt" and "SpTem.txt" (both
    // read before either grid changes); the results of the previous journal
    // emptied, journalSwitched(); the dynamics grid's columns, "ColSpStud.txt"
    // when present, the code headings of the dynamics grid; the thresholds of
    // "Baza/Pasport.txt" and thresholdsRead(); the recalculation with them,
    // journalLoaded(). The folder is checked first (names, real folders
    // directly inside the root). Once both files are read the journal is the
    // current one, with this identity. Throws at the first failure: what was
    // done before stays done; only a scale file that cannot be read lets the
    // load finish with the thresholds as they stand, and is reported then.
    void load(const JournalIdentity &identity);
    // The current journal folder again, keeping the identity (the hidden "ReLoad").
    void reload();
    // Only the journal grid of a folder given by its path, with the dynamics
    // grid's columns and code headings: what the command line needs of a
    // journal that may lie outside any catalogue. `read` reads the grid file.
    using GridReader = std::function<void(const QString &path, Grid &grid)>;
    void loadJournalFile(const QString &folder, const GridReader &read);

    // The recalculation of the journal with the thresholds as they stand.
    void recalculate();
    // The score cells the last recalculation left out ("н", "4.5"); -1 when it
    // failed or none has run since the journal was read.
    int leftOutCells() const { return m_leftOutCells; }

    // True when the journal grid (its cells, counts or widths) or the theme
    // grid differs from what the last load or save of the journal left.
    bool journalModified() const;

    // The save. First the checks that make it impossible, before anything is
    // asked: names, folders, every text that cp1251 cannot hold or that holds
    // a line break.
    void prepareSave(const JournalIdentity &target);
    // The catalogue entry of the target's folder, or -1.
    int catalogueEntryOf(const JournalIdentity &target) const;
    // A journal the catalogue does not know: its folder (created when missing)
    // becomes the current one, and a new first catalogue entry is saved at once,
    // into the file as it stands on disk (read again under the catalogue's
    // lock), unless another program has made that entry meanwhile.
    void addToCatalogue(const JournalIdentity &target);
    // "SpStud.txt", "ColSpStud.txt" and "SpTem.txt" into the target's folder
    // (created when missing), which becomes the current journal folder.
    void writeJournal(const JournalIdentity &target);

    // Sharing the data root with other programs (the window; the commands only
    // read). With locking on, the journal folder that a load or a save makes
    // current is locked (JournalLock); a journal whose lock another program
    // holds is open for reading only.
    void setJournalLocking(bool on);
    // Why the current journal may not be written into its folder (another
    // program holds its lock), or an empty text.
    QString readOnlyReason() const;
    // Before a save asks anything: the catalogue read again when another
    // program changed it (refreshCatalogue()), for a journal the catalogue does
    // not know checkCatalogueChangeable(), and, with locking on, the lock
    // of the target folder: the current journal's is taken, another existing
    // folder's is only tried. ZError naming the holder when another program has it.
    void claimForSave(const JournalIdentity &target);
    // The files of the current journal ("SpStud.txt", "ColSpStud.txt",
    // "SpTem.txt") that are there and whose size, modification time or bytes
    // differ from what the last load or save left, when the target is the
    // current journal's folder; empty otherwise.
    QStringList changedOnDisk(const JournalIdentity &target) const;
    // writeJournal(), then the lock of the folder written (with locking on)
    // and the state of its files as the next save compares them.
    void saveJournal(const JournalIdentity &target);

    // The user whose code the history lines of the saves carry.
    void setUserCode(const QString &code) { m_userCode = code; }
    const QString &userCode() const { return m_userCode; }
    // The current journal's history, "История.txt", oldest line first; empty
    // without a journal or a history file.
    QList<JournalHistory::Entry> readHistory() const;
    // The current journal's kept versions, newest first.
    QList<JournalVersions::Version> versions() const;
    // The journal grid of a kept version, read as a load reads "SpStud.txt".
    Grid versionJournal(const QString &name) const;
    // A kept version becomes the journal: with the checks of a save
    // (claimForSave), its files are saved as the journal's by saveJournal(),
    // which first keeps the files they replace as a version of their own, so
    // that the restore can be taken back; then the journal is loaded again.
    // The grids in memory are lost: the window asks about unsaved changes first.
    void restoreVersion(const QString &name);

Q_SIGNALS:
    // The grids hold another journal (or the same one read again); with a new
    // identity when identityChanged.
    void journalSwitched(bool identityChanged);
    // The journal of a load is recalculated.
    void journalLoaded();
    // The thresholds were read from the scale file.
    void thresholdsRead();
    // A load has opened a journal whose lock another program holds: reading only.
    void journalReadOnly(const QString &reason);

private:
    void loadFolder(const QString &group, const QString &folder, const JournalIdentity *identity);
    // The results of the journal that was open, gone before another is shown.
    void clearResults();
    // Records the journal, theme and catalogue grids as they stand now as the
    // unchanged state.
    void markJournalUnchanged();
    void markCatalogueUnchanged();
    // Runs `change` on the catalogue under its lock and writes the result: on
    // the grid as it stands when the file is as this program left it, on the
    // file read again when another program changed it and the grid holds no
    // edits, refused otherwise.
    void changeCatalogue(const std::function<void(Grid &)> &change);
    // Writes a catalogue grid (the lock held) and makes it the current one.
    void writeCatalogue(const Grid &catalogue);
    // The current folder's lock follows m_folderPath.
    void lockCurrentFolder();
    // What a save compares: one journal file as it is on disk.
    struct DiskFile
    {
        bool present = false;
        qint64 size = -1;
        QDateTime modified;
        QByteArray fingerprint; // of the bytes

        bool operator==(const DiskFile &) const = default;
    };
    // A file as it is now; `bytes`, when given, are what was read from it or
    // written to it (the fingerprint is theirs, not of a later rewrite).
    static DiskFile diskFileOf(const QString &path, const QByteArray *bytes = nullptr);
    void recordDiskState();

    QString m_root;
    Grid m_catalogue;
    Grid m_journal;
    Grid m_themes;
    Grid m_summi;
    Grid m_itog;
    Grid m_uspev;
    Thresholds m_thresholds;
    Indicators m_indicators;
    int m_leftOutCells = -1;
    QString m_folderPath;
    JournalIdentity m_identity;
    QByteArray m_unchangedJournal;   // fingerprint of the journal and theme grids
    QByteArray m_unchangedCatalogue; // fingerprint of the catalogue grid
    QByteArray m_catalogueOnDisk;    // fingerprint of the file's bytes last read or written; empty before
    bool m_lockJournals = false;
    JournalLock m_lock; // of the current journal folder, when locking is on
    QString m_userCode;
    // The journal grid as the last load or save of m_savedFolder left it: what
    // the history of the next save is the difference from.
    Grid m_savedJournal;
    QString m_savedFolder;
    QString m_diskStateFolder; // the folder whose files m_diskState describes
    QList<std::pair<QString, DiskFile>> m_diskState; // file name, state after the last load or save
};
