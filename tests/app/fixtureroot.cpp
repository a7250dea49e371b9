#include "fixtureroot.h"

#include "journal/cp1251.h"

#include <QDir>
#include <QFile>
#include <QStringList>

using namespace Qt::StringLiterals;

QByteArray FixtureRoot::gridFile(const QList<QStringList> &columns)
{
    QByteArray out = QByteArray::number(columns.size()) + "\r\n" + QByteArray::number(columns.value(0).size()) + "\r\n";
    for (const QStringList &col : columns)
        for (const QString &cell : col)
            out += *Cp1251::encode(cell) + "\r\n";
    return out;
}

FixtureRoot::FixtureRoot()
{
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("Baza"));
    root.mkpath(QStringLiteral("G1/Inf"));
    root.mkpath(QStringLiteral("G1/Math"));
    write(QStringLiteral("Baza/Gurnali.txt"),
          gridFile({{u"№"_s, u"1"_s, u"2"_s},
                    {u"Папка"_s, u"  Inf  "_s, u"Math"_s},
                    {u"Группа"_s, u" G1 "_s, u"G1"_s},
                    {u"Семестр"_s, u"1"_s, u"2"_s},
                    {u"Предмет"_s, u"Информатика"_s, u"Математика"_s},
                    {u"Преподаватель"_s, u"Иванова И. И."_s, u"Петров П. П."_s},
                    {u"Год"_s, u"2026"_s, u"2027"_s},
                    {u"Комментарий"_s, u"осень"_s, u"весна"_s}}));
    write(QStringLiteral("Baza/Pasport.txt"), "55\r\n75\r\n90\r\n");
    write(QStringLiteral("G1/Inf/SpStud.txt"),
          gridFile({{u"№"_s, u""_s, u""_s, u""_s, u"1"_s, u"2"_s, u"3"_s},
                    {u"ФИО"_s, u"Дата"_s, u"Код"_s, u"Вес"_s, u"Андреев Антон"_s, u"Борисова Вера"_s, u"Васильев Глеб"_s},
                    {u"Лаб.1"_s, u"01.09"_s, u"Т1"_s, u"2"_s, u"5"_s, u"3"_s, u""_s},
                    {u""_s, u"08.09"_s, u"кт1"_s, u"1"_s, u"4"_s, u""_s, u"5"_s},
                    {u""_s, u"15.09"_s, u"Т2"_s, u"1,5"_s, u"4,5"_s, u"н"_s, u"4"_s}}));
    write(QStringLiteral("G1/Inf/ColSpStud.txt"), "22\r\n140\r\n31\r\n32\r\n33\r\n");
    write(QStringLiteral("G1/Inf/SpTem.txt"),
          gridFile({{u"№"_s, u"1"_s, u"2"_s, u"3"_s},
                    {u"Код"_s, u"Т1"_s, u"кт1"_s, u"Т2"_s},
                    {u"Вес"_s, u"2"_s, u"1"_s, u"1,5"_s},
                    {u"Предмет, Тема, Вид работы, Имя фактора"_s, u"Алгоритмы"_s, u"Контрольная"_s, u"Циклы"_s}}));
}

QByteArray FixtureRoot::bytes(const QString &relative) const
{
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

void FixtureRoot::write(const QString &relative, const QByteArray &bytes) const
{
    QFile f(file(relative));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

void FixtureRoot::remove(const QString &relative) const
{
    QFile::remove(file(relative));
}

namespace {
Program *g_running = nullptr;
}

Program &running()
{
    Q_ASSERT(g_running);
    return *g_running;
}

WindowSession::WindowSession() : m_oldDir(QDir::currentPath())
{
    QDir::setCurrent(root.path());
    Services::setMessages(&messages);
    Services::setPlatform(&platform);
    program = std::make_unique<Program>(root.path());
    g_running = program.get();
}

void WindowSession::restartOn(const QString &dataRoot)
{
    g_running = nullptr;
    program.reset();
    QDir::setCurrent(dataRoot);
    program = std::make_unique<Program>(dataRoot);
    g_running = program.get();
}

WindowSession::~WindowSession()
{
    g_running = nullptr;
    program.reset();
    Services::setMessages(nullptr);
    Services::setPlatform(nullptr);
    QDir::setCurrent(m_oldDir);
}
