#pragma once

#include "journal/grid.h"
#include "rating/gradingscale.h"
#include "rating/recalculation.h"

#include <QObject>
#include <QString>

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
    // The identity of catalogue entry `row` (texts as they stand).
    JournalIdentity catalogueEntry(int row) const;

    // The journal load, in its fixed order: "SpStud.txt", "SpTem.txt", the
    // dynamics grid's columns, "ColSpStud.txt" when present, the code headings
    // of the dynamics grid, the recalculation; journalLoaded(); then the
    // thresholds of "Baza/Pasport.txt" and thresholdsRead(). The folder is
    // checked first (names, real folders inside the root); the identity and
    // the folder become current once the journal files are read. Throws at the
    // first failure: what was done before stays done.
    void load(const JournalIdentity &identity);
    // The same folder again (the hidden "ReLoad").
    void reload();
    // Only the journal grid of a folder given by its path, and the
    // recalculation with the thresholds as they stand: what the command line
    // needs of a journal that may lie outside any catalogue.
    void loadJournalFile(const QString &folder);

    // The recalculation of the journal with the thresholds as they stand.
    void recalculate();

    // The save. First the checks that make it impossible, before anything is
    // asked (names, folders, every text that cp1251 cannot hold or that holds a
    // line break); the target becomes the current journal folder.
    void prepareSave(const JournalIdentity &target);
    // The catalogue entry of the target's folder, or -1.
    int catalogueEntryOf(const JournalIdentity &target) const;
    // A journal the catalogue does not know: its folder (created when missing)
    // and a new first catalogue entry, saved at once.
    void addToCatalogue(const JournalIdentity &target);
    // "SpStud.txt", "ColSpStud.txt" and "SpTem.txt" into the target's folder,
    // created when missing.
    void writeJournal(const JournalIdentity &target);

Q_SIGNALS:
    // The journal files of a load are read and recalculated.
    void journalLoaded();
    // The thresholds were read from the scale file.
    void thresholdsRead();

private:
    QString checkedFolder(const JournalIdentity &identity) const;
    void readJournalFiles(const QString &folder, bool themesAndWidths);

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
};
