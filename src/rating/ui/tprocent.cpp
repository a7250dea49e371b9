#include "rating/ui/tprocent.h"

#include "controls/helpviewer.h"
#include "controls/handler.h"
#include "controls/onelinevalidator.h"
#include "controls/windowtools.h"
#include "rating/gradingscale.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
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

TProcent::TProcent(Thresholds &thresholds, const QString &dataRoot, QWidget *parent)
    : QDialog(parent), m_thresholds(thresholds), m_dataRoot(dataRoot)
{
    setObjectName(QStringLiteral("Procent"));
    setWindowTitle(QStringLiteral("Шкала перевода"));
    setModal(true);
    setHelpPage(this, QStringLiteral("reiting.html#shkala"));

    auto *group = new QGroupBox(QStringLiteral("Перевод процентов в 5-ти балльной шкале"), this);
    setHint(group, QStringLiteral("GroupBox1"), QStringLiteral("Правила выставления оценок в 5 бальной системе"));
    TriProc = thresholdEdit(QStringLiteral("TriProc"), thresholds.t3, group);
    ChetProc = thresholdEdit(QStringLiteral("ChetProc"), thresholds.t4, group);
    PaytProc = thresholdEdit(QStringLiteral("PaytProc"), thresholds.t5, group);
    connect(TriProc, &QLineEdit::textChanged, this, [this](const QString &t) { m_thresholds.t3 = t; });
    connect(ChetProc, &QLineEdit::textChanged, this, [this](const QString &t) { m_thresholds.t4 = t; });
    connect(PaytProc, &QLineEdit::textChanged, this, [this](const QString &t) { m_thresholds.t5 = t; });
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
    setShortcutHint(SaveTab, QKeySequence(Qt::CTRL | Qt::Key_S));
    // The thresholds are read left to right, as the chain of grades reads.
    setTabChain({PaytProc, ChetProc, TriProc, SaveTab});
}

void TProcent::SaveTabClick()
{
    const bool saved = runHandler(this, [this] {
        GradingScale::writeFile(GradingScale::scaleFile(m_dataRoot), Thresholds{TriProc->text(), ChetProc->text(), PaytProc->text()});
    });
    if (saved)
        Q_EMIT scaleSaved();
}

void TProcent::showThresholds()
{
    // Copies first: each setText writes its edit's text back into the thresholds.
    const Thresholds t = m_thresholds;
    TriProc->setText(t.t3);
    ChetProc->setText(t.t4);
    PaytProc->setText(t.t5);
}
