#include "journal/catalogue.h"

#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Catalogue {

namespace {

QString quoted(const QString &text)
{
    return QStringLiteral("«%1»").arg(text);
}

QString nameProblem(const QString &name, const QString &what, const QString &whenEmpty)
{
    const QString t = name.trimmed();
    if (t.isEmpty())
        return whenEmpty;
    if (t == QLatin1String(".") || t == QLatin1String(".."))
        return QStringLiteral("%1 %2 не может быть именем папки.").arg(what, quoted(t));
    if (t.contains(QLatin1Char('/')) || t.contains(QLatin1Char('\\')))
        return QStringLiteral("%1 %2 содержит «/» или «\\».").arg(what, quoted(t));
    return {};
}

// The canonical path of a path that may not exist yet: its parent resolved.
QString resolved(const QString &absolute)
{
    const QFileInfo info(absolute);
    if (info.exists())
        return info.canonicalFilePath();
    const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (parent.isEmpty())
        return {};
    return parent + QLatin1Char('/') + info.fileName();
}

// A listed name is inside the folder when it starts with the folder and "/"
// and none of its parts is empty, "." or "..".
bool insideFolder(const QString &name, const QString &folder)
{
    const QString prefix = folder + QLatin1Char('/');
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return false;
    const QStringList parts = name.mid(prefix.size()).split(QLatin1Char('/'));
    for (const QString &part : parts)
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

void walk(const QDir &root, const QString &folder, QStringList &out, const std::function<void()> &between)
{
    const QDir dir(root.filePath(folder));
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString path = folder + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() && !entry.isSymLink()) {
            out << path + QLatin1Char('/');
            if (between)
                between();
            walk(root, path, out, between);
        } else {
            out << path;
            if (between)
                between();
        }
    }
}

} // namespace

Grid makeGrid()
{
    Grid grid(8, 2, 0, 1);
    const int widths[8] = {20, 109, 64, 72, 375, 124, 44, 127};
    const char *headers[8] = {"№", "Папка", "Группа", "Семестр", "Предмет", "Преподаватель", "Год", "Комментарий"};
    for (int c = 0; c < 8; ++c) {
        grid.setColWidth(c, widths[c]);
        grid.setCell(c, 0, QString::fromUtf8(headers[c]));
    }
    grid.setCell(NumberCol, 1, QStringLiteral("1"));
    grid.setRowHeight(18);
    return grid;
}

QString journalFolderPath(const QString &group, const QString &folder)
{
    return group.trimmed() + QLatin1Char('/') + folder.trimmed();
}

QString entryFolderPath(const Grid &catalogue, int row)
{
    return journalFolderPath(catalogue.cell(GroupCol, row), catalogue.cell(FolderCol, row));
}

QString openingPath(const Grid &catalogue, int row)
{
    return (catalogue.cell(GroupCol, row).trimmed() + QLatin1Char('/') + catalogue.cell(FolderCol, row)).trimmed();
}

int findEntry(const Grid &catalogue, const QString &path)
{
    for (int r = 1; r < catalogue.rowCount(); ++r)
        if (entryFolderPath(catalogue, r) == path)
            return r;
    return -1;
}

void addEntryAtTop(Grid &catalogue, const QString &papkaName, const QString &gruppa, const QString &semestr,
                   const QString &predmNaz)
{
    if (!Grid::sizeAllowed(catalogue.colCount(), qint64(catalogue.rowCount()) + 1))
        throw ZError(QStringLiteral("В списке журналов нет места для ещё одной строки (строк: %1).")
                         .arg(catalogue.rowCount()));
    const int last = catalogue.rowCount();
    catalogue.setRowCount(last + 1);
    catalogue.setCell(NumberCol, last, QString::number(last));
    GridOps::shiftRowsDown(catalogue, 1);
    catalogue.setCell(FolderCol, 1, papkaName);
    catalogue.setCell(GroupCol, 1, gruppa);
    catalogue.setCell(TermCol, 1, semestr);
    catalogue.setCell(SubjectCol, 1, predmNaz);
}

QString folderNamesProblem(const QString &group, const QString &folder)
{
    QString problem = nameProblem(group, QStringLiteral("код группы"), QStringLiteral("не указан код группы."));
    if (problem.isEmpty())
        problem = nameProblem(folder, QStringLiteral("имя папки журнала"),
                              QStringLiteral("не указано имя папки журнала."));
    return problem;
}

void checkFolderNames(const QString &group, const QString &folder)
{
    const QString problem = folderNamesProblem(group, folder);
    if (!problem.isEmpty())
        throw ZError(QStringLiteral("Папка журнала %1 недопустима: %2")
                         .arg(quoted(group.trimmed() + QLatin1Char('/') + folder.trimmed()), problem));
}

QString checkDeletableFolder(const QString &dataRoot, const QString &group, const QString &folder)
{
    checkFolderNames(group, folder);
    const QString relative = journalFolderPath(group, folder);
    const QString refused = QStringLiteral("Папка журнала %1 не удаляется: ").arg(quoted(relative));

    const QString rootPath = QFileInfo(dataRoot).canonicalFilePath();
    if (rootPath.isEmpty())
        throw ZError(refused + QStringLiteral("не найдена папка данных %1.").arg(quoted(dataRoot)));
    const QString absolute = QDir(rootPath).filePath(relative);
    if (QFileInfo(absolute).isSymLink())
        throw ZError(refused + QStringLiteral("это символическая ссылка."));

    const QString target = resolved(absolute);
    if (target.isEmpty())
        return relative; // not even the group folder exists: nothing there to delete
    const QString prefix = rootPath.endsWith(QLatin1Char('/')) ? rootPath : rootPath + QLatin1Char('/');
    if (!target.startsWith(prefix))
        throw ZError(refused + QStringLiteral("она лежит вне папки данных."));
    const QString inside = target.mid(prefix.size());
    if (inside.count(QLatin1Char('/')) < 1 || inside.endsWith(QLatin1Char('/')))
        throw ZError(refused + QStringLiteral("это папка данных, папка «%1» или папка группы.")
                                   .arg(QLatin1String(kBazaFolder)));
    return relative;
}

QStringList listFolder(const QString &dataRoot, const QString &folder, const std::function<void()> &between)
{
    QStringList names;
    walk(QDir(dataRoot), folder, names, between);
    return names;
}

Deletion deleteJournalFiles(const QString &dataRoot, const QString &group, const QString &folder,
                            const QStringList &names)
{
    const QString relative = checkDeletableFolder(dataRoot, group, folder);
    const QDir root(QFileInfo(dataRoot).canonicalFilePath());
    const QString folderTarget = resolved(root.filePath(relative));

    Deletion result;
    for (const QString &name : names) {
        if (name.endsWith(QLatin1Char('/')))
            continue; // a subfolder stays
        if (!insideFolder(name, relative)) {
            result.failed << name;
            continue;
        }
        // The name's own folder must still lie inside the journal folder: a
        // subfolder replaced by a link since the walk is not followed.
        const QString absolute = root.filePath(name);
        const QString parent = QFileInfo(QFileInfo(absolute).absolutePath()).canonicalFilePath();
        if (parent.isEmpty() || (parent != folderTarget && !parent.startsWith(folderTarget + QLatin1Char('/')))) {
            result.failed << name;
            continue;
        }
        const QFileInfo info(absolute);
        if (!info.exists() && !info.isSymLink())
            continue; // gone since the walk
        if (QFile::remove(absolute))
            result.deleted << name;
        else
            result.failed << name;
    }

    const QFileInfo folderInfo(root.filePath(relative));
    if (folderInfo.isDir() && !folderInfo.isSymLink()) {
        QDir dir(folderInfo.absoluteFilePath());
        const bool empty = dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (empty) {
            result.folderRemoved = root.rmdir(relative);
            if (!result.folderRemoved)
                result.failed << relative + QLatin1Char('/');
        }
    }
    return result;
}

QString deletionFailureMessage(const Deletion &deletion)
{
    if (deletion.failed.isEmpty())
        return {};
    return QStringLiteral("Не удалось удалить:\n%1").arg(deletion.failed.join(QLatin1Char('\n')));
}

} // namespace Catalogue
