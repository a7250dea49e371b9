#pragma once

#include "journal/grid.h"
#include "rating/gradingscale.h"
#include "rating/recalculation.h"

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
    void saveCatalogue();
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
    // becomes the current one, and a new first catalogue entry is saved at once.
    void addToCatalogue(const JournalIdentity &target);
    // "SpStud.txt", "ColSpStud.txt" and "SpTem.txt" into the target's folder
    // (created when missing), which becomes the current journal folder.
    void writeJournal(const JournalIdentity &target);

Q_SIGNALS:
    // The grids hold another journal (or the same one read again); with a new
    // identity when identityChanged.
    void journalSwitched(bool identityChanged);
    // The journal of a load is recalculated.
    void journalLoaded();
    // The thresholds were read from the scale file.
    void thresholdsRead();

private:
    void loadFolder(const QString &group, const QString &folder, const JournalIdentity *identity);
    // The results of the journal that was open, gone before another is shown.
    void clearResults();
    // Records the journal, theme and catalogue grids as they stand now as the
    // unchanged state.
    void markJournalUnchanged();
    void markCatalogueUnchanged();

    QString m_root;
    Grid m_catalogue;
    Grid m_journal;
    Grid m_themes;
    Grid m_summi;
    Grid m_itog;
    Grid m_uspev;
    Thresholds m_thresholds;
    Indicators m_indicators;
    QString m_folderPath;
    JournalIdentity m_identity;
    QByteArray m_unchangedJournal;   // fingerprint of the journal and theme grids
    QByteArray m_unchangedCatalogue; // fingerprint of the catalogue grid
};
