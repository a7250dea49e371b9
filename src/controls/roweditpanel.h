#pragma once

#include <QGroupBox>
#include <QList>
#include <QString>

class QGridLayout;
class QLineEdit;
class QToolButton;

// The row-edit panel of a grid window: the read-only edit that holds the
// selected row's (or column's) number, and the buttons of the row operations
// (add below, delete, swap with the row above, delete below ...). The window
// connects the buttons to its handlers; the panel only lays them out.
class RowEditPanel : public QGroupBox
{
    Q_OBJECT
public:
    struct Button
    {
        QString name;    // object name: the handler's control name
        QString hint;    // tool tip and status bar text
        QString caption; // a short caption
    };
    enum class Arrangement {
        EditAboveButtons, // the edit on a line of its own, the buttons in a row below
        Column,           // the edit and the buttons one under another
        Row,              // the edit and the buttons side by side, without a frame
        CaptionedRow,     // side by side, without a frame, each with its caption over it
        TitledRow,        // side by side in the titled frame
    };

    RowEditPanel(const QString &title, const QString &editName, const QString &editHint, const QList<Button> &buttons,
                 Arrangement arrangement, QWidget *parent = nullptr);
    // A captioned row: the captions over the edit and each button, in order.
    RowEditPanel(const QString &editName, const QString &editHint, const QList<Button> &buttons,
                 const QStringList &captions, QWidget *parent = nullptr);

    // Appends a further control of the window, with its caption, to a captioned row.
    void addCaptioned(const QString &caption, QWidget *control);

    QLineEdit *numberEdit() const { return m_edit; }
    QToolButton *button(int index) const { return m_buttons.value(index); }

private:
    QLineEdit *m_edit = nullptr;
    QList<QToolButton *> m_buttons;
    QGridLayout *m_captioned = nullptr;
};
