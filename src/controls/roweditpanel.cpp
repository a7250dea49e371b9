#include "controls/roweditpanel.h"

#include "controls/windowtools.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

RowEditPanel::RowEditPanel(const QString &title, const QString &editName, const QString &editHint,
                           const QList<Button> &buttons, Arrangement arrangement, QWidget *parent)
    : QGroupBox(title, parent)
{
    m_edit = new QLineEdit(QStringLiteral("1"), this);
    setHint(m_edit, editName, editHint);
    m_edit->setReadOnly(true);
    m_edit->setAlignment(Qt::AlignCenter);
    for (const Button &b : buttons)
        m_buttons << makeToolButton(this, b.name, b.hint, b.caption);

    if (arrangement == Arrangement::CaptionedRow)
        return; // laid out by the captioned constructor
    switch (arrangement) {
    case Arrangement::EditAboveButtons: {
        m_edit->setFixedWidth(62);
        auto *l = new QGridLayout(this);
        l->setContentsMargins(3, 2, 3, 3);
        l->setSpacing(2);
        l->addWidget(m_edit, 0, 0, 1, int(m_buttons.size()));
        for (int i = 0; i < m_buttons.size(); ++i)
            l->addWidget(m_buttons.at(i), 1, i);
        break;
    }
    case Arrangement::Column: {
        m_edit->setFixedWidth(44);
        auto *l = new QVBoxLayout(this);
        l->addWidget(m_edit);
        for (QToolButton *b : std::as_const(m_buttons))
            l->addWidget(b);
        l->addStretch();
        break;
    }
    case Arrangement::Row: {
        m_edit->setFixedWidth(44);
        setFlat(true);
        // Side by side in a row of other buttons: as wide as its controls, no wider.
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
        setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0px; padding: 0px; }"));
        auto *l = new QHBoxLayout(this);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(m_edit);
        for (QToolButton *b : std::as_const(m_buttons))
            l->addWidget(b);
        break;
    }
    case Arrangement::TitledRow: {
        m_edit->setFixedWidth(44);
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
        auto *l = new QHBoxLayout(this);
        l->setContentsMargins(3, 2, 3, 3);
        l->setSpacing(2);
        l->addWidget(m_edit);
        for (QToolButton *b : std::as_const(m_buttons))
            l->addWidget(b);
        break;
    }
    case Arrangement::CaptionedRow:
        break;
    }
}

RowEditPanel::RowEditPanel(const QString &editName, const QString &editHint, const QList<Button> &buttons,
                           const QStringList &captions, QWidget *parent)
    : RowEditPanel(QString(), editName, editHint, buttons, Arrangement::CaptionedRow, parent)
{
    m_edit->setFixedWidth(44);
    setFlat(true);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0px; padding: 0px; }"));
    QList<CaptionedControls> groups{{captions.value(0), {m_edit}}};
    for (int i = 0; i < m_buttons.size(); ++i)
        groups.append({captions.value(i + 1), {m_buttons.at(i)}});
    m_captioned = captionedRow(this, groups);
    m_captioned->setContentsMargins(0, 0, 0, 0);
    setLayout(m_captioned);
}

void RowEditPanel::addCaptioned(const QString &caption, QWidget *control)
{
    if (!m_captioned)
        return;
    appendCaptioned(m_captioned, caption, {control});
}
