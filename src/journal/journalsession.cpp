#include "journal/journalsession.h"

#include "journal/catalogue.h"
#include "journal/cp1251.h"
#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "journal/journalfolder.h"
#include "journal/journallayout.h"
#include "journal/journalplace.h"
#include "rating/resultgrids.h"
#include "themes/themes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

#include <cstring>
#include <optional>

namespace {

const QString kSpStud = QStringLiteral("SpStud.txt");
const QString kSpTem = QStringLiteral("SpTem.txt");
const QString kColSpStud = QStringLiteral("ColSpStud.txt");

Grid makeItogShown()
{
    // Drawn wide enough for a full name and a sum with two decimals.
    Grid itog = ResultGrids::makeItog();
    const int widths[] = {22, 130, 46, 30, 30, 30, 30, 34};
    for (int c = 0; c < ResultGrids::ItogColumns; ++c)
        itog.setColWidth(c, widths[c]);
    return itog;
}

// What a save would write of grids, as a hash: their counts, every cell and
// the column widths. The fixed counts are left out: the files do not hold them.
// The bytes are gathered in a buffer first: a hash call, or a growing array,
// per cell would cost more than the hashing itself.
class Fingerprint
{
public:
    void add(const Grid &grid)
    {
        addNumber(grid.colCount());
        addNumber(grid.rowCount());
        for (int c = 0; c < grid.colCount(); ++c) {
            addNumber(grid.colWidth(c));
            for (const QString &cell : grid.column(c)) {
                addNumber(cell.size());
                addBytes(cell.constData(), cell.size() * qsizetype(sizeof(QChar)));
            }
        }
    }
    QByteArray result()
    {
        flush();
        return m_hash.result();
    }

private:
    void addNumber(qint64 n) { addBytes(&n, sizeof n); }
    void addBytes(const void *data, qsizetype size)
    {
        if (m_used + size > qsizetype(sizeof m_buffer)) {
            flush();
            if (size > qsizetype(sizeof m_buffer)) {
                m_hash.addData(QByteArrayView(static_cast<const char *>(data), size));
                return;
            }
        }
        std::memcpy(m_buffer + m_used, data, size_t(size));
        m_used += size;
    }
    void flush()
    {
        m_hash.addData(QByteArrayView(m_buffer, m_used));
        m_used = 0;
    }

    QCryptographicHash m_hash{QCryptographicHash::Sha1};
    char m_buffer[1 << 15];
    qsizetype m_used = 0;
};

QByteArray fingerprint(std::initializer_list<const Grid *> grids)
{
    Fingerprint f;
    for (const Grid *grid : grids)
        f.add(*grid);
    return f.result();
}

// The journal's cells named as the teacher sees them, for the save's messages.
CellNamer journalCellNamer(const Grid &journal)
{
    return [&journal](int col, int row) { return JournalPlace::describe(journal, col, row); };
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
    markJournalUnchanged();
    markCatalogueUnchanged();
}

bool JournalSession::journalModified() const
{
    return fingerprint({&m_journal, &m_themes}) != m_unchangedJournal;
}

bool JournalSession::catalogueModified() const
{
    return fingerprint({&m_catalogue}) != m_unchangedCatalogue;
}

void JournalSession::markJournalUnchanged()
{
    m_unchangedJournal = fingerprint({&m_journal, &m_themes});
}

void JournalSession::markCatalogueUnchanged()
{
    m_unchangedCatalogue = fingerprint({&m_catalogue});
}

QString JournalSession::rootPath(const QString &relative) const
{
    return QDir(m_root).filePath(relative);
}

void JournalSession::readCatalogue()
{
    ReadGridFile(JournalFolder::checkedDataFile(m_root, QString::fromLatin1(Catalogue::kCatalogueFile)), m_catalogue);
    markCatalogueUnchanged();
}

void JournalSession::saveCatalogue()
{
    WriteGridFile(JournalFolder::checkedDataFile(m_root, QString::fromLatin1(Catalogue::kCatalogueFile)), m_catalogue);
    markCatalogueUnchanged();
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
    markJournalUnchanged();
    clearResults();
    Q_EMIT journalSwitched(identity != nullptr);
    m_summi.setColCount(m_journal.colCount());
    ReadColumnWidths(dir.filePath(kColSpStud), m_journal, &m_summi);
    markJournalUnchanged();
    ResultGrids::writeSummiCodes(m_journal, m_summi);
    // The scale comes before the recalculation, so that the grades on screen
    // follow the thresholds the scale window shows. A scale file that cannot
    // be read leaves the thresholds as they stand; the journal is still
    // recalculated with them, and the failure is reported at the end.
    std::optional<ZError> scaleFailure;
    try {
        m_thresholds = GradingScale::readFile(GradingScale::scaleFile(m_root));
        Q_EMIT thresholdsRead();
    } catch (const ZError &e) {
        scaleFailure = e;
    }
    recalculate();
    Q_EMIT journalLoaded();
    if (scaleFailure)
        throw *scaleFailure;
}

void JournalSession::clearResults()
{
    m_itog.setRowCount(2);
    for (int c = 0; c < m_itog.colCount(); ++c)
        m_itog.setCell(c, 1, QString());
    for (int c = 1; c < m_uspev.colCount(); ++c)
        for (int r = 1; r < m_uspev.rowCount(); ++r)
            m_uspev.setCell(c, r, QStringLiteral("0"));
    m_indicators = Indicators();
    // The dynamics grid keeps its labels; the student shown and every figure go.
    m_summi.setCell(1, ResultGrids::StudentRow, QString());
    m_summi.setCell(1, ResultGrids::StudentAccumulatedRow, QString());
    for (int c = JournalLayout::kFirstLessonCol; c < m_summi.colCount(); ++c)
        for (int r = ResultGrids::StudentRow; r < m_summi.rowCount(); ++r)
            m_summi.setCell(c, r, QString());
}

void JournalSession::loadJournalFile(const QString &folder, const GridReader &read)
{
    read(QDir(rootPath(folder)).filePath(kSpStud), m_journal);
    markJournalUnchanged();
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
    gridFileBytes(path + u'/' + kSpStud, m_journal, journalCellNamer(m_journal));
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
    // The three files are one save: all of them are written under temporary
    // names before any takes its place, so a failure leaves the journal as it was.
    const QString spStud = dir.filePath(kSpStud);
    const QString spTem = dir.filePath(kSpTem);
    DurableFile::StagedWrites save;
    save.add(spStud, gridFileBytes(spStud, m_journal, journalCellNamer(m_journal)));
    save.add(dir.filePath(kColSpStud), columnWidthsBytes(m_journal));
    save.add(spTem, gridFileBytes(spTem, m_themes));
    save.commit();
    markJournalUnchanged();
}
