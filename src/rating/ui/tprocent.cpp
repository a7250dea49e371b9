#include "rating/ui/tprocent.h"

#include "controls/handler.h"
#include "controls/onelinevalidator.h"
#include "controls/windowtools.h"
#include "rating/gradingscale.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QLineEdit *thresholdEdit(const QString &name, const QString &text, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    makeOneLine(edit);
    edit->setFixedWidth(40);
    edit->setAlignment(Qt::AlignCenter);
    return edit;
}
} // namespace

TProcent::TProcent(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Procent"));
    setWindowTitle(QStringLiteral("Шкала перевода"));
    setModal(true);

    auto *group = new QGroupBox(QStringLiteral("Перевод процентов в 5-ти балльной шкале"), this);
    setHint(group, QStringLiteral("GroupBox1"), QStringLiteral("Правила выставления оценок в 5 бальной системе"));
    TriProc = thresholdEdit(QStringLiteral("TriProc"), QStringLiteral("50"), group);
    ChetProc = thresholdEdit(QStringLiteral("ChetProc"), QStringLiteral("70"), group);
    PaytProc = thresholdEdit(QStringLiteral("PaytProc"), QStringLiteral("85"), group);
    auto *row = new QHBoxLayout(group);
    row->addWidget(new QLabel(QStringLiteral("100 <=5<="), group));
    row->addWidget(PaytProc);
    row->addWidget(new QLabel(QStringLiteral("<4<="), group));
    row->addWidget(ChetProc);
    row->addWidget(new QLabel(QStringLiteral("<3<="), group));
    row->addWidget(TriProc);
    row->addWidget(new QLabel(QStringLiteral("<2"), group));
    row->addStretch();

    auto *ten = new QLabel(QStringLiteral(" В 10-ти балльной системе перевод:  10% - 1 балл "), this);
    QFont bold = ten->font();
    bold.setBold(true);
    ten->setFont(bold);

    SaveTab = new QToolButton(this);
    setHint(SaveTab, QStringLiteral("SaveTab"), QStringLiteral("Запомнить шкалу"));
    SaveTab->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SaveTab->setIconSize(QSize(28, 28));
    connect(SaveTab, &QToolButton::clicked, this, &TProcent::SaveTabClick);

    auto *left = new QVBoxLayout;
    left->addWidget(group);
    left->addWidget(ten);
    auto *main = new QHBoxLayout(this);
    main->addLayout(left);
    main->addWidget(SaveTab, 0, Qt::AlignTop);
}

void TProcent::SaveTabClick()
{
    runHandler(this, [this] {
        GradingScale::writeFile(QStringLiteral("Baza/Pasport.txt"), Thresholds{TriProc->text(), ChetProc->text(), PaytProc->text()});
    });
}
