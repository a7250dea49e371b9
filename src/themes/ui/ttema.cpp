#include "themes/ui/ttema.h"

#include "controls/handler.h"
#include "controls/windowtools.h"
#include "journal/ui/gridview.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>


TTema::TTema(QWidget *parent) : QDialog(parent), m_temi(4, 5, 0, 1, 64)
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
    const int widths[] = {24, 35, 33, 807};
    const char *headers[] = {"№", "Код", "Вес", "Предмет, Тема, Вид работы, Имя фактора"};
    for (int c = 0; c < 4; ++c) {
        m_temi.setColWidth(c, widths[c]);
        m_temi.setCell(c, 0, QString::fromUtf8(headers[c]));
    }
    TemiSpisok->refresh();
}

void TTema::GirObClick()
{
    toggleGridBold(TemiSpisok, GirOb);
}
