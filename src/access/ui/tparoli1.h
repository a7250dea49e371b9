#pragma once

#include <QDialog>

// The access table editor window.
class TParoli1 : public QDialog
{
    Q_OBJECT
public:
    explicit TParoli1(QWidget *parent = nullptr);
};
