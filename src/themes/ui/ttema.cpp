#include "themes/ui/ttema.h"

#include "controls/helpviewer.h"
#include "controls/framegeometry.h"
#include "controls/handler.h"
#include "controls/roweditpanel.h"
#include "controls/windowtools.h"
#include "journal/grid.h"
#include "journal/gridops.h"
#include "controls/gridview.h"
#include "reports/reports.h"
#include "reports/ui/windowreport.h"
#include "themes/themes.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>


TTema::TTema(Grid &themes, QWidget *parent) : QDialog(parent), m_temi(themes)
{
    setObjectName(QStringLiteral("Tema"));
    setWindowTitle(QStringLiteral("Тематический план"));
    setModal(false);
    // A window of its own, not a dialog kept above another window: the
    // journal window can come in front of it.
    setWindowFlags(Qt::Window);
    setHelpPage(this, QStringLiteral("temy.html"));

    auto *group = new QGroupBox(QStringLiteral("Темы, задания, тесты, другие виды работ. Входные данные."), this);
    TemiSpisok = new GridView(&m_temi, group);
    TemiSpisok->setObjectName(QStringLiteral("TemiSpisok"));
    TemiSpisok->setRowSelect(true);

    auto *rows = new RowEditPanel(
        QStringLiteral("Строк"), QStringLiteral("StrTemi"), QStringLiteral("Номер выбранной строки"),
        {{QStringLiteral("DobStrNige"), QStringLiteral("Добавить строку ниже выбранной"), QStringLiteral("+")},
         {QStringLiteral("PerStroki"), QStringLiteral("Выделенную и вышележащую строки поменять местами"), QStringLiteral("⇅")},
         {QStringLiteral("DelStroku"), QStringLiteral("Удалить выбранную строку"), QStringLiteral("−")},
         {QStringLiteral("DelStroki"), QStringLiteral("Удалить строки снмзу"), QStringLiteral("↓✕")}},
        RowEditPanel::Arrangement::TitledRow, group);
    StrTemi = rows->numberEdit();
    DobStrNige = rows->button(0);
    PerStroki = rows->button(1);
    DelStroku = rows->button(2);
    DelStroki = rows->button(3);

    Redaktir = makeToolButton(group, QStringLiteral("Redaktir"), QStringLiteral("Редактирование таблицы"), QString(), QStyle::SP_FileDialogDetailedView);
    GirOb = makeToolButton(group, QStringLiteral("GirOb"), QStringLiteral("Обычный шрифт / Жирный"), QStringLiteral("Ж"));
    PrintRD = makeToolButton(group, QStringLiteral("PrintRD"), QStringLiteral("Печать плана"), QStringLiteral("Печать"));
    Prosmotr = makeToolButton(group, QStringLiteral("Prosmotr"), QStringLiteral("Просмотр плана перед печатью"), QStringLiteral("Просмотр"));
    connect(GirOb, &QToolButton::clicked, this, &TTema::GirObClick);
    connect(TemiSpisok, &GridView::mouseDown, this, &TTema::TemiSpisokMouseDown);
    connect(Redaktir, &QToolButton::clicked, this, &TTema::RedaktirClick);
    connect(DobStrNige, &QToolButton::clicked, this, &TTema::DobStrNigeClick);
    connect(PerStroki, &QToolButton::clicked, this, &TTema::PerStrokiClick);
    connect(DelStroku, &QToolButton::clicked, this, &TTema::DelStrokuClick);
    connect(DelStroki, &QToolButton::clicked, this, &TTema::DelStrokiClick);
    connect(PrintRD, &QToolButton::clicked, this, &TTema::PrintRDClick);
    connect(Prosmotr, &QToolButton::clicked, this, &TTema::ProsmotrClick);

    // The buttons in a row under the plan: the window is low, below the main window.
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Redaktir, 0, Qt::AlignBottom);
    buttons->addWidget(GirOb, 0, Qt::AlignBottom);
    buttons->addWidget(rows);
    buttons->addWidget(PrintRD, 0, Qt::AlignBottom);
    buttons->addWidget(Prosmotr, 0, Qt::AlignBottom);
    buttons->addStretch();

    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(4, 4, 4, 4);
    groupLayout->setSpacing(2);
    groupLayout->addWidget(TemiSpisok, 1);
    groupLayout->addLayout(buttons);
    setTabChain({TemiSpisok, Redaktir, GirOb, StrTemi, DobStrNige, PerStroki, DelStroku, DelStroki, PrintRD, Prosmotr});
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->addWidget(group);
    FormCreate();
}

void TTema::FormCreate()
{
    // Below the main window, stretched to the bottom and up to the dynamics window.
    placeFrame(this, FrameRule{QRect(0, ScreenTiling::kLowerTop, 1024, 303), true, true, ScreenTiling::kDynamicsWidth, false,
                               ScreenTiling::kPlanMinWidth});
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
        Q_EMIT themeChosen(m_temi.cell(Themes::CodeCol, row).trimmed());
    });
}

void TTema::selectTheme(const QString &code)
{
    const int theme = Themes::findTheme(m_temi, code);
    if (theme >= 0) {
        StrTemi->setText(QString::number(theme));
        TemiSpisok->setCurrentRow(theme);
    }
}

void TTema::refresh()
{
    TemiSpisok->refresh();
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

void TTema::journalSwitched()
{
    StrTemi->setText(QStringLiteral("1"));
    TemiSpisok->clearMarks();
    TemiSpisok->setCurrentRow(m_temi.rowCount() > 1 ? 1 : 0);
}

void TTema::PrintRDClick()
{
    runHandler(this, [this] {
        JournalIdentity heading;
        QString dataRoot;
        Q_EMIT planHeadingWanted(&heading, &dataRoot);
        WindowReport doc(dataRoot, Reports::thematicPlanName(), this);
        Reports::thematicPlan(doc, m_temi, heading, QDate::currentDate());
    });
}

void TTema::ProsmotrClick()
{
    runHandler(this, [this] {
        JournalIdentity heading;
        QString dataRoot;
        Q_EMIT planHeadingWanted(&heading, &dataRoot);
        WindowReport doc(dataRoot, Reports::thematicPlanName(), this, WindowReport::Mode::Preview);
        Reports::thematicPlan(doc, m_temi, heading, QDate::currentDate());
    });
}
