#include "journal/journalfolder.h"

#include "journal/errors.h"

#include <QDir>
#include <QFileInfo>

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
