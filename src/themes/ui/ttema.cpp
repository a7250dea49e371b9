#include "themes/ui/ttema.h"

#include "app/appcontext.h"
#include "app/tform1.h"
#include "controls/handler.h"
#include "controls/windowtools.h"
#include "journal/gridops.h"
#include "journal/ui/gridview.h"
#include "themes/themes.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>


TTema::TTema(QWidget *parent) : QDialog(parent), m_temi(Themes::makeGrid())
{
    setObjectName(QStringLiteral("Tema"));
    setWindowTitle(QStringLiteral("Тематический план"));
    setModal(false);

    auto *group = new QGroupBox(QStringLiteral("Темы, задания, тесты, другие виды работ. Входные данные."), this);
    TemiSpisok = new GridView(&m_temi, group);
    TemiSpisok->setObjectName(QStringLiteral("TemiSpisok"));
    TemiSpisok->setRowSelect(true);

    auto *rows = new QGroupBox(QStringLiteral("Строк"), group);
    StrTemi = new QLineEdit(QStringLiteral("1"), rows);
    setHint(StrTemi, QStringLiteral("StrTemi"), QStringLiteral("Номер выбранной строки"));
    StrTemi->setReadOnly(true);
    StrTemi->setFixedWidth(44);
    DobStrNige = makeToolButton(rows, QStringLiteral("DobStrNige"), QStringLiteral("Добавить строку ниже выбранной"), QStringLiteral("+"));
    PerStroki = makeToolButton(rows, QStringLiteral("PerStroki"), QStringLiteral("Выделенную и вышележащую строки поменять местами"), QStringLiteral("⇅"));
    DelStroku = makeToolButton(rows, QStringLiteral("DelStroku"), QStringLiteral("Удалить выбранную строку"), QStringLiteral("−"));
    DelStroki = makeToolButton(rows, QStringLiteral("DelStroki"), QStringLiteral("Удалить строки снмзу"), QStringLiteral("↓✕"));
    auto *rowsLayout = new QVBoxLayout(rows);
    rowsLayout->addWidget(StrTemi);
    rowsLayout->addWidget(DobStrNige);
    rowsLayout->addWidget(PerStroki);
    rowsLayout->addWidget(DelStroku);
    rowsLayout->addWidget(DelStroki);
    rowsLayout->addStretch();

    Redaktir = makeToolButton(group, QStringLiteral("Redaktir"), QStringLiteral("Редактирование таблицы"), QString(), QStyle::SP_FileDialogDetailedView);
    GirOb = makeToolButton(group, QStringLiteral("GirOb"), QStringLiteral("Обычный шрифт / Жирный"), QStringLiteral("Ж"));
    PrintRD = makeToolButton(group, QStringLiteral("PrintRD"), QStringLiteral("Печать плана"), QStringLiteral("Печать"));
    connect(GirOb, &QToolButton::clicked, this, &TTema::GirObClick);
    connect(TemiSpisok, &GridView::mouseDown, this, &TTema::TemiSpisokMouseDown);
    connect(Redaktir, &QToolButton::clicked, this, &TTema::RedaktirClick);
    connect(DobStrNige, &QToolButton::clicked, this, &TTema::DobStrNigeClick);
    connect(PerStroki, &QToolButton::clicked, this, &TTema::PerStrokiClick);
    connect(DelStroku, &QToolButton::clicked, this, &TTema::DelStrokuClick);
    connect(DelStroki, &QToolButton::clicked, this, &TTema::DelStrokiClick);

    auto *side = new QVBoxLayout;
    side->addWidget(Redaktir);
    side->addWidget(GirOb);
    side->addWidget(rows);
    side->addWidget(PrintRD);
    side->addStretch();

    auto *groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(TemiSpisok, 1);
    groupLayout->addLayout(side);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->addWidget(group);
    FormCreate();
}

void TTema::FormCreate()
{
    setGeometry(0, 514, 1024, 303);
    fitToWorkArea(this, true, true);
    TemiSpisok->refresh();
}

void TTema::GirObClick()
{
    toggleGridBold(TemiSpisok, GirOb);
}

void TTema::TemiSpisokMouseDown(Qt::MouseButton, const QPoint &pos)
{
    runHandler(this, [this, pos] {
        const QPoint cell = TemiSpisok->cellAt(pos);
        const int row = std::max(cell.y(), 0);
        StrTemi->setText(QString::number(row));
        const QString code = m_temi.cell(Themes::CodeCol, row).trimmed();
        TForm1 *form1 = app().form1;
        form1->DatNTar->setText(code);
        const Grid &journal = form1->journal();
        const int c = Themes::findLessonColumn(journal, code);
        if (c < 0)
            return;
        GridView *view = form1->SpisokSt;
        view->setCurrentCell(c, view->currentRow());
        form1->DatNTar->setText(journal.cell(c, 1));
        form1->NStolbca->setText(QString::number(c));
        const QRect date = view->cellRect(c, 1);
        if (!date.isEmpty())
            view->addFrame(QRect(QPoint(date.left() + 1, date.top() + 1),
                                 QPoint(date.left() + 21, date.top() + 18 * (view->visibleRows() + 3) + 10)),
                           QColor(255, 0, 0));
    });
}

int TTema::selectedRow() const
{
    return GridOps::parseSelection(StrTemi->text());
}

void TTema::RedaktirClick()
{
    runHandler(this, [this] { TemiSpisok->setRowSelect(!GridOps::switchListEditMode(m_temi)); });
}

void TTema::DobStrNigeClick()
{
    runHandler(this, [this] {
        GridOps::insertRowBelow(m_temi, selectedRow(), GridOps::kListNumberOffset, GridOps::Reach::RowCount);
    });
}

void TTema::PerStrokiClick()
{
    runHandler(this, [this] {
        const int moved = GridOps::swapWithRowAbove(m_temi, selectedRow());
        if (moved >= 0)
            StrTemi->setText(QString::number(moved));
    });
}

void TTema::DelStrokuClick()
{
    runHandler(this, [this] { GridOps::deleteRow(m_temi, selectedRow(), GridOps::Reach::RowCount); });
}

void TTema::DelStrokiClick()
{
    runHandler(this, [this] { GridOps::deleteRowsBelow(m_temi, selectedRow()); });
}
