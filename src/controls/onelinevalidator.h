#pragma once

#include <QValidator>

// The validator of every field whose text goes into a data file: a pasted line
// break (CR LF, LF or CR) becomes one blank, as in a one-line field; with
// cp1251 set, a text holding a character the data files cannot store is refused.
class OneLineValidator : public QValidator
{
    Q_OBJECT
public:
    explicit OneLineValidator(bool cp1251, QObject *parent = nullptr);
    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

private:
    bool m_cp1251;
};

class QLineEdit;
// Gives the field a OneLineValidator.
void makeOneLine(QLineEdit *edit, bool cp1251 = false);
