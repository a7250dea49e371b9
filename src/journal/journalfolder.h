#pragma once

#include <QString>

// The folder of one journal: GROUP/FOLDER under the data root, where GROUP is
// a group code and FOLDER a journal folder name, each trimmed. Every path the
// program builds from these two texts (catalogue cells, identity edits) is
// checked here, so that it never leaves the data root: GROUP must be a real
// directory (not a symbolic link) directly in the root, FOLDER one directly in
// GROUP. Paths are relative to the data root.
namespace JournalFolder {

// "GROUP/FOLDER": the group code trimmed, "/", the folder name trimmed.
QString path(const QString &group, const QString &folder);

// Why a group code and a folder name cannot name a journal folder (each
// trimmed: empty, "." or "..", holding "/", "\" or a control character), or an
// empty text when they can.
QString namesProblem(const QString &group, const QString &folder);
// ZError naming the folder with that reason.
void checkNames(const QString &group, const QString &folder);

// True when something (a folder, a file or a link) stands at GROUP/FOLDER.
bool exists(const QString &dataRoot, const QString &group, const QString &folder);

// Which parts of GROUP/FOLDER must be there.
enum class Needed { GroupAndFolder, Group, Nothing };
// Why GROUP/FOLDER (names already checked) is no journal folder: a part that
// is there but is a symbolic link or no directory, or a part that `needed`
// asks for and that is missing. An empty text when it is one.
QString folderProblem(const QString &dataRoot, const QString &group, const QString &folder, Needed needed);

// The journal folder that a load or a save may use: the names pass checkNames,
// GROUP is a directory directly in the data root and FOLDER a directory
// directly in GROUP, neither a symbolic link. Returns path(); ZError naming the
// folder and the reason otherwise.
QString checked(const QString &dataRoot, const QString &group, const QString &folder);

// As checked(), except that FOLDER may be missing (nothing at all stands
// there): the folder a save may make. Nothing is made.
QString checkedForSave(const QString &dataRoot, const QString &group, const QString &folder);

// checkedForSave(), then makes FOLDER in GROUP when it is missing: one level,
// never the group folder. Returns path(); ZError (FileError when the folder
// cannot be made) naming the folder otherwise.
QString create(const QString &dataRoot, const QString &group, const QString &folder);

// True when two folders, relative to the data root, are one folder on disk
// (equal canonical paths); false when either is empty or does not exist.
bool sameFolder(const QString &dataRoot, const QString &a, const QString &b);

// A journal folder named by a path (absolute, as the commands without a window
// take it), checked as GROUP/FOLDER is: neither the folder nor its group folder
// (the folder it lies in) is a symbolic link or no directory; when it lies in
// the data root, no folder on the way from the root is either, so that its
// canonical path stays inside the canonical root. A missing part ends the
// checks (the read then names the missing file). Returns the path cleaned of
// "." and ".."; ZError naming the folder otherwise.
QString checkedPath(const QString &dataRoot, const QString &folderPath);

// The data root's own folders and files ("Baza", "Baza/Gurnali.txt",
// "Baza/Pasport.txt", "Отчёты", "Dostup.dat"), given relative to the root with
// "/" between the parts. Every folder on the way must be a real directory
// (not a symbolic link), the last part a regular file (checkedDataFile) or a
// real directory (checkedDataFolder), and the canonical path of what stands
// there must lie inside the canonical root: nothing of the program's is read
// or written through a link out of the root. A part that is missing ends the
// checks: a read then fails on the missing file, a save on the missing folder.
// Return the absolute path; FileError naming the file or folder otherwise.
QString checkedDataFile(const QString &dataRoot, const QString &relative);
QString checkedDataFolder(const QString &dataRoot, const QString &relative);
// checkedDataFolder(), then makes the folder when it is missing (one level,
// in a checked folder of the root).
QString createdDataFolder(const QString &dataRoot, const QString &relative);

} // namespace JournalFolder

