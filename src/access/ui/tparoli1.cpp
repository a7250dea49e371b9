#include "access/ui/tparoli1.h"

#include "access/accessfile.h"
#include "controls/helpviewer.h"
#include "controls/gridview.h"
#include "controls/handler.h"
#include "controls/services.h"
#include "controls/windowtools.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int kWidths[AccessRows::kColumns] = {28, 75, 155, 51, 50};
}

TParoli1::TParoli1(const QString &accessFile, QWidget *parent)
    : QDialog(parent), m_accessFile(accessFile), m_table(AccessRows::kColumns, AccessLayout::kTableSize + 1, 0, 1)
{
    setObjectName(u"Paroli1"_s);
    setWindowTitle(u"Управление доступом"_s);
    setModal(true);
    setHelpPage(this, u"vhod.html#dostup"_s);

    for (int c = 0; c < AccessRows::kColumns; ++c)
        m_table.setColWidth(c, kWidths[c]);
    TabDost = new GridView(&m_table, this);
    setHint(TabDost, u"TabDost"_s, u"Первый код и доступ не менять!!!"_s);
    QFont bold = TabDost->gridFont();
    bold.setBold(true);
    TabDost->setGridFont(bold);
    TabDost->refresh();
    int width = 2 * TabDost->frameWidth() + 12;
    for (int w : kWidths)
        width += w + 1;
    TabDost->setMinimumSize(width, 2 * TabDost->frameWidth() + (AccessLayout::kTableSize + 1) * (m_table.rowHeight() + 1) + 4);

    ZapDostup = new QPushButton(u"Запомнить"_s, this);
    setHint(ZapDostup, u"ZapDostup"_s, u"Таблицу"_s);
    ZapDostup->setAutoDefault(false);
    connect(ZapDostup, &QPushButton::clicked, this, &TParoli1::ZapDostupClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ZapDostup);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TabDost);
    layout->addLayout(buttons);

    // Reading order: the grid (Tab moves from cell to cell inside it), then the button.
    setTabOrder(TabDost, ZapDostup);
}

void TParoli1::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    fillFromFile();
}

void TParoli1::fillFromFile()
{
    const QStringList headers = {u"Код"_s, u"Дата"_s, u"ФИО"_s, u"Пароль"_s, u"Доступ"_s};
    for (int c = 0; c < AccessRows::kColumns; ++c)
        m_table.setCell(c, 0, headers.at(c));
    // The table shows the file as it is now: a row of a user removed since
    // the last showing would be written again by the next save.
    for (int r = 1; r < m_table.rowCount(); ++r)
        for (int c = 0; c < AccessRows::kColumns; ++c)
            m_table.setCell(c, r, QString());
    const bool read = runHandler(this, [this] {
        const AccessFileContents contents = AccessFile::read(m_accessFile);
        for (int k = 0; k < contents.records.size() && k < AccessLayout::kTableSize; ++k) {
            const QStringList row = AccessRows::fromRecord(contents.records.at(k));
            for (int c = 0; c < AccessRows::kColumns; ++c)
                m_table.setCell(c, k + 1, row.at(c));
        }
    });
    // An empty table saved over a file that could not be read would lock everybody out.
    ZapDostup->setEnabled(read);
    TabDost->setCurrentCell(0, 1);
}

void TParoli1::ZapDostupClick()
{
    QList<QStringList> rows;
    for (int r = 1; r <= AccessLayout::kTableSize; ++r) {
        QStringList row;
        for (int c = 0; c < AccessRows::kColumns; ++c)
            row << m_table.cell(c, r);
        rows << row;
    }
    const bool saved = runHandler(this, [this, &rows] { AccessRows::save(m_accessFile, rows); });
    if (saved)
        Services::messages().warning(this, u"Изменения вступят после этого"_s, u"Перезапустите программу!!!"_s);
}
