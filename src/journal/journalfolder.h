#pragma once

#include <QString>

class Grid;

// The journal folder of a group code and a folder name: both trimmed, joined by "/".
QString journalFolderPath(const QString &group, const QString &folder);

// Refuses (ZError) a group code or folder name that would put the journal folder
// anywhere but one level inside its group folder under the data root: empty after
// trimming, "." or "..", or containing "/" or "\".
void checkJournalFolderNames(const QString &group, const QString &folder);

// The first catalogue entry (row ≥ 1) whose group and folder name, trimmed and
// joined, equal the path exactly; -1 when none does.
int findCatalogueEntry(const Grid &catalogue, const QString &path);

// Puts a new entry at the top of the catalogue: a row is added, the entries move
// one down (the number column stays, the new last row gets its row index), and
// row 1 gets the four texts as given; teacher, year and comment stay those of the
// former first entry.
void addCatalogueEntryAtTop(Grid &catalogue, const QString &folder, const QString &group, const QString &term,
                            const QString &subject);

// Creates the journal folder, one level inside an existing group folder.
void createJournalFolder(const QString &path);
