#include "journal/journalfolder.h"

#include "journal/errors.h"
#include "journal/grid.h"

#include <QDir>
#include <QFileInfo>

QString journalFolderPath(const QString &group, const QString &folder)
{
    return group.trimmed() + QLatin1Char('/') + folder.trimmed();
}

namespace {
void checkName(const QString &text, const QString &what)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        throw ZError(QStringLiteral("%1 не задан(о). Впишите его, чтобы журнал лёг в свою папку.").arg(what));
    if (t == QLatin1String(".") || t == QLatin1String("..") || t.contains(QLatin1Char('/')) || t.contains(QLatin1Char('\\')))
        throw ZError(QStringLiteral("%1 «%2» не годится для имени папки: нельзя «.», «..», «/» и «\\».").arg(what, t));
}
} // namespace

void checkJournalFolderNames(const QString &group, const QString &folder)
{
    checkName(group, QStringLiteral("Код группы"));
    checkName(folder, QStringLiteral("Имя папки журнала"));
}

int findCatalogueEntry(const Grid &catalogue, const QString &path)
{
    for (int r = 1; r < catalogue.rowCount(); ++r) {
        if (journalFolderPath(catalogue.cell(2, r), catalogue.cell(1, r)) == path)
            return r;
    }
    return -1;
}

void addCatalogueEntryAtTop(Grid &catalogue, const QString &folder, const QString &group, const QString &term,
                            const QString &subject)
{
    const int last = catalogue.rowCount();
    catalogue.setRowCount(last + 1);
    catalogue.setCell(0, last, QString::number(last));
    for (int r = last; r >= 2; --r)
        for (int c = 1; c < catalogue.colCount(); ++c)
            catalogue.setCell(c, r, catalogue.cell(c, r - 1));
    catalogue.setCell(1, 1, folder);
    catalogue.setCell(2, 1, group);
    catalogue.setCell(3, 1, term);
    catalogue.setCell(4, 1, subject);
}

void createJournalFolder(const QString &path)
{
    if (QFileInfo(path).isDir())
        return;
    const QString group = path.section(QLatin1Char('/'), 0, 0);
    if (!QFileInfo(group).isDir())
        throw FileError(QStringLiteral("Не удалось создать папку журнала «%1»: нет папки группы «%2».").arg(path, group));
    if (!QDir().mkdir(path))
        throw FileError(QStringLiteral("Не удалось создать папку журнала «%1».").arg(path));
}
