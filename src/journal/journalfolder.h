#pragma once

#include <QString>

// Creates a journal folder (group code "/" folder name) one level inside its
// group folder, which must exist; nothing when the folder is there already.
// FileError naming the folder otherwise.
void createJournalFolder(const QString &path);
