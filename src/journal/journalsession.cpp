#include "journal/journalsession.h"

#include "journal/catalogue.h"
#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/journalfolder.h"
#include "journal/journallayout.h"
#include "rating/resultgrids.h"
#include "themes/themes.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kSpStud = QStringLiteral("SpStud.txt");
const QString kSpTem = QStringLiteral("SpTem.txt");
const QString kColSpStud = QStringLiteral("ColSpStud.txt");
const QString kPasport = QStringLiteral("Baza/Pasport.txt");

Grid makeItogShown()
{
    // Drawn wide enough for a full name and a sum with two decimals.
    Grid itog = ResultGrids::makeItog();
    const int widths[] = {22, 130, 46, 30, 30, 30, 30, 34};
    for (int c = 0; c < ResultGrids::ItogColumns; ++c)
        itog.setColWidth(c, widths[c]);
    return itog;
}

} // namespace

JournalSession::JournalSession(const QString &dataRoot, QObject *parent)
    : QObject(parent),
      m_root(QDir(dataRoot).absolutePath()),
      m_catalogue(Catalogue::makeGrid()),
      m_journal(JournalLayout::makeJournalGrid()),
      m_themes(Themes::makeGrid()),
      m_summi(ResultGrids::makeSummi()),
      m_itog(makeItogShown()),
      m_uspev(ResultGrids::makeUspev())
{
}

QString JournalSession::rootPath(const QString &relative) const
{
    return QDir(m_root).filePath(relative);
}

void JournalSession::readCatalogue()
{
    ReadGridFile(rootPath(QString::fromLatin1(Catalogue::kCatalogueFile)), m_catalogue);
}

void JournalSession::saveCatalogue()
{
    WriteGridFile(rootPath(QString::fromLatin1(Catalogue::kCatalogueFile)), m_catalogue);
}

JournalIdentity JournalSession::catalogueEntry(int row) const
{
    JournalIdentity id;
    id.group = m_catalogue.cell(Catalogue::GroupCol, row);
    id.subject = m_catalogue.cell(Catalogue::SubjectCol, row);
    id.folder = m_catalogue.cell(Catalogue::FolderCol, row);
    id.term = m_catalogue.cell(Catalogue::TermCol, row);
    id.year = m_catalogue.cell(Catalogue::YearCol, row);
    id.comment = m_catalogue.cell(Catalogue::CommentCol, row);
    return id;
}

void JournalSession::load(const JournalIdentity &identity)
{
    loadFolder(identity.group, identity.folder, &identity);
}

void JournalSession::reload()
{
    const qsizetype slash = m_folderPath.indexOf(u'/');
    loadFolder(m_folderPath.left(slash), slash < 0 ? QString() : m_folderPath.mid(slash + 1), nullptr);
}

void JournalSession::loadFolder(const QString &group, const QString &folder, const JournalIdentity *identity)
{
    const QString path = JournalFolder::checked(m_root, group, folder);
    const QDir dir(rootPath(path));
    // Both grids are read before either changes: a journal whose theme file
    // is missing must not stand on screen under the previous identity.
    Grid journal = m_journal;
    Grid themes = m_themes;
    ReadGridFile(dir.filePath(kSpStud), journal);
    ReadGridFile(dir.filePath(kSpTem), themes);
    m_journal = std::move(journal);
    m_themes = std::move(themes);
    m_folderPath = path;
    if (identity)
        m_identity = *identity;
    Q_EMIT journalSwitched(identity != nullptr);
    m_summi.setColCount(m_journal.colCount());
    ReadColumnWidths(dir.filePath(kColSpStud), m_journal, &m_summi);
    ResultGrids::writeSummiCodes(m_journal, m_summi);
    recalculate();
    Q_EMIT journalLoaded();
    m_thresholds = GradingScale::readFile(rootPath(kPasport));
    Q_EMIT thresholdsRead();
}

void JournalSession::loadJournalFile(const QString &folder, const GridReader &read)
{
    read(QDir(rootPath(folder)).filePath(kSpStud), m_journal);
    m_summi.setColCount(m_journal.colCount());
    ResultGrids::writeSummiCodes(m_journal, m_summi);
}

void JournalSession::recalculate()
{
    ::recalculate(m_journal, m_thresholds, m_itog, m_uspev, m_summi, m_indicators);
}

void JournalSession::prepareSave(const JournalIdentity &target)
{
    JournalFolder::checkNames(target.group, target.folder);
    // The identity goes into the catalogue file: a text it cannot hold is
    // refused here, before a folder or an entry is made.
    const std::pair<const QString *, const char *> texts[] = {
        {&target.group, "Группа"}, {&target.folder, "Папка"}, {&target.term, "Семестр"}, {&target.subject, "Предмет"}};
    for (const auto &[text, caption] : texts) {
        const qsizetype at = Cp1251::firstUnencodable(*text);
        if (at >= 0)
            throw ZError(QStringLiteral("Журнал не записан: в поле «%1» есть знак %2, которого нет в кодировке cp1251.")
                             .arg(QString::fromUtf8(caption),
                                  quotedExcerpt(text->mid(at, text->at(at).isHighSurrogate() ? 2 : 1))));
        if (hasControlCharacter(*text))
            throw ZError(QStringLiteral("Журнал не записан: в поле «%1» текст %2 содержит управляющий знак.")
                             .arg(QString::fromUtf8(caption), quotedExcerpt(*text)));
    }
    // A cell that the files cannot hold stops the save before anything is asked or written.
    const QString path = JournalFolder::path(target.group, target.folder);
    gridFileBytes(path + u'/' + kSpStud, m_journal);
    gridFileBytes(path + u'/' + kSpTem, m_themes);
    // So does a folder that is no real journal folder inside the data root.
    JournalFolder::checkedForSave(m_root, target.group, target.folder);
}

int JournalSession::catalogueEntryOf(const JournalIdentity &target) const
{
    return Catalogue::findEntry(m_catalogue, JournalFolder::path(target.group, target.folder));
}

void JournalSession::addToCatalogue(const JournalIdentity &target)
{
    m_folderPath = JournalFolder::create(m_root, target.group, target.folder);
    Catalogue::addEntryAtTop(m_catalogue, target.folder, target.group, target.term, target.subject);
    saveCatalogue();
}

void JournalSession::writeJournal(const JournalIdentity &target)
{
    // Checked again: the catalogue window may have run since prepareSave().
    m_folderPath = JournalFolder::create(m_root, target.group, target.folder);
    const QDir dir(rootPath(m_folderPath));
    WriteGridFile(dir.filePath(kSpStud), m_journal);
    WriteColumnWidths(dir.filePath(kColSpStud), m_journal);
    WriteGridFile(dir.filePath(kSpTem), m_themes);
}
