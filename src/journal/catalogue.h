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

// The journal folder of entry `row` (JournalFolder::path of its texts).
QString entryFolderPath(const Grid &catalogue, int row);

// The first entry (rows 1..last) whose journal folder path equals `path`
// exactly, or -1.
int findEntry(const Grid &catalogue, const QString &path);

// The entry that a journal save makes for a new folder: one more row, numbered
// by its row index; the entries move one down (the number column stays); row 1
// gets the four texts as they stand in columns 1-4 and keeps in columns 5-7
// what the former first entry had there. ZError when the grid is full.
void addEntryAtTop(Grid &catalogue, const QString &papkaName, const QString &gruppa, const QString &semestr,
                   const QString &predmNaz);

// The most a deletion walks: entries listed, and levels of subfolders below
// the journal folder. A folder beyond either is not deleted at all.
inline constexpr int kMaxDeletedEntries = 10000;
inline constexpr int kMaxDeletedDepth = 8;

// Checks that the journal folder of a group code and folder name may have its
// files deleted: the names pass JournalFolder::checkNames; the group folder, when it is
// there, is a directory directly in the data root and the journal folder, when
// it is there, one directly in the group folder, neither a symbolic link; and
// the journal folder is not `openFolder` (the open journal's folder, relative
// to the root; compared by canonical path). Returns the folder's path relative
// to the root; ZError naming it otherwise. A folder that is not there passes:
// there is nothing in it to delete.
QString checkDeletableFolder(const QString &dataRoot, const QString &group, const QString &folder,
                             const QString &openFolder);

// Every entry under a folder (relative to the data root), walked depth first in
// name order, hidden and system entries included: a subfolder is listed as its
// path followed by "/" and then walked, anything else (a symbolic link too,
// which is never followed) as its path. `between` runs after each name.
// ZError, and no list, when the folder holds more than kMaxDeletedEntries
// entries or subfolders deeper than kMaxDeletedDepth levels.
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
                            const QString &openFolder, const QStringList &names);

// The warning for a deletion that left names behind, or an empty text.
QString deletionFailureMessage(const Deletion &deletion);

} // namespace Catalogue
