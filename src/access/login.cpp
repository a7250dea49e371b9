#include "access/login.h"

using namespace Qt::StringLiterals;

Login::Login(const QList<AccessRecord> &records, QString messageLine) : m_message(std::move(messageLine))
{
    for (qsizetype k = 0; k < records.size() && k < AccessLayout::kTableSize; ++k) {
        const AccessRecord &r = records.at(k);
        m_table.append({r.code, r.name, r.password, r.access});
    }
    if (!m_table.isEmpty())
        m_current = m_table.first();
}

QString Login::initialMessage()
{
    return u"                           Стой! Кто идёт?"_s;
}

bool Login::check(const QString &typed)
{
    m_granted = true;
    // The whole typed text counts: a longer one is not the password, even
    // when it starts with it.
    const QString password = AccessRows::trimBlanks(typed);
    bool matched = false;
    for (const AccessEntry &entry : std::as_const(m_table)) {
        if (AccessRows::trimBlanks(entry.password) == password) {
            m_current = entry;
            matched = true;
            break;
        }
    }
    if (!matched) {
        m_message = u"Что-то я Вас не припоминаю"_s;
        m_granted = false;
    }
    // Only a non-empty part of "ZW" admits: "Z" or "W" (or the whole "ZW").
    const QString &letter = m_current.access;
    if (letter.isEmpty() || !u"ZW"_s.contains(letter)) {
        m_message = u"Вам доступ закрыт"_s;
        m_granted = false;
    }
    return m_granted;
}

void Login::countRefusal()
{
    ++m_attempts;
    m_message = QString::number(m_attempts) + QLatin1Char(' ') + m_message;
    if (closed())
        m_message = u"Ознакомтесь с инструкцией"_s;
}
