#include "journal/ui/tgurnaliform.h"

#include "controls/handler.h"
#include "controls/windowtools.h"
#include "journal/gridfile.h"
#include "journal/ui/gridview.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TGurnaliForm::TGurnaliForm(QWidget *parent) : QDialog(parent), m_gurSp(8, 2, 0, 1, 64)
{
    setObjectName(QStringLiteral("GurnaliForm"));
    setWindowTitle(QStringLiteral("Список журналов"));
    setModal(true);

    auto *group = new QGroupBox(
        QStringLiteral("                                                                    №    Добавить  Переставить Удалить  Запомнить  Печать  "),
        this);
    GurSp = new GridView(&m_gurSp, group);
    GurSp->setObjectName(QStringLiteral("GurSp"));
    GurSp->setRowSelect(true);

    Zagruzit = new QPushButton(QStringLiteral("Загрузить"), group);
    setHint(Zagruzit, QStringLiteral("Zagruzit"), QStringLiteral("Выбранный журнал загрузить в систему"));
    Zagruzit->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    Redaktir = makeToolButton(group, QStringLiteral("Redaktir"), QStringLiteral("Редактирование таблицы"), QString(),
                              QStyle::SP_FileDialogDetailedView);
    GirOb = makeToolButton(group, QStringLiteral("GirOb"), QStringLiteral("Обычный шрифт / Жирный"), QStringLiteral("Ж"));
    StrGurn = new QLineEdit(QStringLiteral("1"), group);
    setHint(StrGurn, QStringLiteral("StrGurn"), QStringLiteral("Номер выбранной строки"));
    StrGurn->setReadOnly(true);
    StrGurn->setFixedWidth(44);
    DobStrNige = makeToolButton(group, QStringLiteral("DobStrNige"), QStringLiteral("Добавить строку ниже выбранной"), QStringLiteral("+"));
    PerStroki = makeToolButton(group, QStringLiteral("PerStroki"), QStringLiteral("Выделенную и вышележащую строки поменять местами"),
                               QStringLiteral("⇅"));
    DelStroku = makeToolButton(group, QStringLiteral("DelStroku"), QStringLiteral("Удалить выбранную строку"), QStringLiteral("−"));
    SaveTab = makeToolButton(group, QStringLiteral("SaveTab"), QStringLiteral("Запомнить таблицы"), QString(), QStyle::SP_DialogSaveButton);
    PrintRD = makeToolButton(group, QStringLiteral("PrintRD"), QStringLiteral("Печать таблицы"), QStringLiteral("Печать"));
    connect(SaveTab, &QToolButton::clicked, this, &TGurnaliForm::SaveTabClick);
    connect(GirOb, &QToolButton::clicked, this, &TGurnaliForm::GirObClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Zagruzit);
    buttons->addWidget(Redaktir);
    buttons->addWidget(GirOb);
    buttons->addStretch();
    buttons->addWidget(StrGurn);
    buttons->addWidget(DobStrNige);
    buttons->addWidget(PerStroki);
    buttons->addWidget(DelStroku);
    buttons->addWidget(SaveTab);
    buttons->addWidget(PrintRD);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(GurSp, 1);
    groupLayout->addLayout(buttons);
    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->addWidget(group);
    FormCreate();
}

void TGurnaliForm::FormCreate()
{
    resize(1017, 219);
    fitToWorkArea(this, true, true);
    const int widths[] = {20, 109, 64, 72, 375, 124, 44, 127};
    const char *headers[] = {"№", "Папка", "Группа", "Семестр", "Предмет", "Преподаватель", "Год", "Комментарий"};
    for (int c = 0; c < 8; ++c) {
        m_gurSp.setColWidth(c, widths[c]);
        m_gurSp.setCell(c, 0, QString::fromUtf8(headers[c]));
    }
    m_gurSp.setCell(0, 1, QStringLiteral("1"));
    GurSp->refresh();
}

void TGurnaliForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TGurnaliForm::FormShow()
{
    GurSp->setCurrentRow(1);
    deletionList.clear();
    DelStroku->hide();
}

void TGurnaliForm::saveCatalogue()
{
    WriteGridFile(QStringLiteral("Baza/Gurnali.txt"), m_gurSp);
}

void TGurnaliForm::SaveTabClick()
{
    runHandler(this, [this] { saveCatalogue(); });
}

void TGurnaliForm::GirObClick()
{
    toggleGridBold(GurSp, GirOb);
}
