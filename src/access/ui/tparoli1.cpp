#include "access/ui/tparoli1.h"

#include <QLabel>
#include <QVBoxLayout>

TParoli1::TParoli1(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Paroli1"));
    setWindowTitle(QStringLiteral("Управление доступом"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(QStringLiteral("Таблица доступа появится здесь в следующей версии программы."), this);
    layout->addWidget(note);
    resize(420, 120);
}
