#include "access/ui/tzapusk.h"

#include "controls/windowtools.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TZapusk::TZapusk(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Zapusk"));
    setWindowTitle(QStringLiteral("Журнал успеваемости %1").arg(QStringLiteral(ZHURNAL_VERSION)));
    Komentar = new QLineEdit(QStringLiteral("                           Стой! Кто идёт?"), this);
    Komentar->setObjectName(QStringLiteral("Komentar"));
    Komentar->setReadOnly(true);
    Dalee = new QPushButton(QStringLiteral("Дальше"), this);
    setHint(Dalee, QStringLiteral("Dalee"), QStringLiteral("Перейти в картотеку"));
    Dalee->setStyleSheet(QStringLiteral("QPushButton { background: rgb(120, 220, 120); padding: 6px; }"));
    Otmena = new QPushButton(QStringLiteral("Отмена"), this);
    setHint(Otmena, QStringLiteral("Otmena"), QStringLiteral("Выйти из программы"));
    Otmena->setStyleSheet(QStringLiteral("QPushButton { background: rgb(240, 120, 120); padding: 6px; }"));
    Dalee->setDefault(true);
    connect(Dalee, &QPushButton::clicked, this, &TZapusk::DaleeClick);
    connect(Otmena, &QPushButton::clicked, this, &TZapusk::OtmenaClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Dalee);
    buttons->addWidget(Otmena);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Komentar);
    layout->addLayout(buttons);
    resize(420, 110);
}

void TZapusk::DaleeClick()
{
    Q_EMIT admitted();
    close();
}

void TZapusk::OtmenaClick()
{
    close();
}
