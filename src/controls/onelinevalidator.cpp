#include "controls/onelinevalidator.h"

#include "journal/cp1251.h"
#include "journal/excerpt.h"

#include <QLineEdit>

OneLineValidator::OneLineValidator(bool cp1251, QObject *parent) : QValidator(parent), m_cp1251(cp1251) {}

QValidator::State OneLineValidator::validate(QString &input, int &pos) const
{
    if (input.contains(u'\n') || input.contains(u'\r')) {
        // A CR LF pair shortens the text by one before the cursor.
        const QString before = oneLine(QStringView(input).left(pos));
        input = oneLine(input);
        pos = int(before.size());
    }
    if (m_cp1251 && !Cp1251::canEncode(input))
        return Invalid;
    return Acceptable;
}

void OneLineValidator::fixup(QString &input) const
{
    input = oneLine(input);
}

void makeOneLine(QLineEdit *edit, bool cp1251)
{
    edit->setValidator(new OneLineValidator(cp1251, edit));
}
