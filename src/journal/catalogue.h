#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Grid;

// The journal catalogue "Baza/Gurnali.txt": one entry per journal from row 1 on
// (row 0 the headers), and the journal folders its entries name.
namespace Catalogue {

enum Column {
    NumberCol = 0,
    FolderCol = 1,  // "Папка", the journal folder name
    GroupCol = 2,   // "Группа", the group code and group folder name
    TermCol = 3,    // "Семестр"
    SubjectCol = 4, // "Предмет"
    TeacherCol = 5, // "Преподаватель"
    YearCol = 6,    // "Год"
    CommentCol = 7, // "Комментарий"
};

// Relative to the data root.
inline constexpr char kCatalogueFile[] = "Baza/Gurnali.txt";
inline constexpr char kBazaFolder[] = "Baza";

// The grid of a fresh catalogue window: 8 columns, 2 rows, the header row fixed,
// the design widths, the headers and "1" in cell (0, 1).
Grid makeGrid();

// The journal folder path: group code trimmed, "/", folder name trimmed.
QString journalFolderPath(const QString &group, const QString &folder);
// The journal folder of entry `row`.
QString entryFolderPath(const Grid &catalogue, int row);
// The path that opening an entry uses: group code trimmed, "/", folder name,
// and the whole trimmed, so a folder name keeps its leading blanks.
QString openingPath(const Grid &catalogue, int row);

// The first entry (rows 1..last) whose journal folder path equals `path`
// exactly, or -1.
int findEntry(const Grid &catalogue, const QString &path);

// The entry that a journal save makes for a new folder: one more row, numbered
// by its row index; the entries move one down (the number column stays); row 1
// gets the four texts as they stand in columns 1-4 and keeps in columns 5-7
// what the former first entry had there. ZError when the grid is full.
void addEntryAtTop(Grid &catalogue, const QString &papkaName, const QString &gruppa, const QString &semestr,
                   const QString &predmNaz);

// Why a group code and folder name cannot name a journal folder (each trimmed:
// empty, "." or "..", or holding "/" or "\"), or an empty text when they can.
QString folderNamesProblem(const QString &group, const QString &folder);
// ZError with that reason.
void checkFolderNames(const QString &group, const QString &folder);

// Checks that the journal folder of a group code and folder name may have its
// files deleted: the names pass checkFolderNames, the folder is no symbolic
// link, and it resolves to a folder at least two levels inside the data root
// (so never the root, "Baza", a group folder, or anything outside the root).
// Returns the folder's path relative to the root; ZError naming it otherwise.
QString checkDeletableFolder(const QString &dataRoot, const QString &group, const QString &folder);

// Every entry under a folder (relative to the data root), walked depth first in
// name order, hidden and system entries included: a subfolder is listed as its
// path followed by "/" and then walked, anything else (a symbolic link too,
// which is never followed) as its path. `between` runs after each name.
QStringList listFolder(const QString &dataRoot, const QString &folder, const std::function<void()> &between = {});

struct Deletion
{
    QStringList deleted; // the names removed
    QStringList failed;  // the names that could not be removed
    bool folderRemoved = false;
};

// Deletes the listed names of a journal folder (from listFolder): every name not
// ending in "/" is removed as a file by its exact name (a link as the link);
// subfolders stay; the folder goes when it is then empty. Checks the folder as
// checkDeletableFolder does first (ZError, nothing deleted), and removes no name
// that does not lie inside the folder.
Deletion deleteJournalFiles(const QString &dataRoot, const QString &group, const QString &folder,
                            const QStringList &names);

// The warning for a deletion that left names behind, or an empty text.
QString deletionFailureMessage(const Deletion &deletion);

} // namespace Catalogue
