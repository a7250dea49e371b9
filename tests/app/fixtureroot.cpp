#include "fixtureroot.h"

#include "journal/cp1251.h"

#include <QDir>
#include <QFile>
#include <QStringList>

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
          gridFile({{"№", "1", "2"},
                    {"Папка", "  Inf  ", "Math"},
                    {"Группа", " G1 ", "G1"},
                    {"Семестр", "1", "2"},
                    {"Предмет", "Информатика", "Математика"},
                    {"Преподаватель", "Иванова И. И.", "Петров П. П."},
                    {"Год", "2026", "2027"},
                    {"Комментарий", "осень", "весна"}}));
    write(QStringLiteral("Baza/Pasport.txt"), "55\r\n75\r\n90\r\n");
    write(QStringLiteral("G1/Inf/SpStud.txt"),
          gridFile({{"№", "", "", "", "1", "2", "3"},
                    {"ФИО", "Дата", "Код", "Вес", "Андреев Антон", "Борисова Вера", "Васильев Глеб"},
                    {"Лаб.1", "01.09", "Т1", "2", "5", "3", ""},
                    {"", "08.09", "кт1", "1", "4", "", "5"},
                    {"", "15.09", "Т2", "1,5", "4,5", "н", "4"}}));
    write(QStringLiteral("G1/Inf/ColSpStud.txt"), "22\r\n140\r\n31\r\n32\r\n33\r\n");
    write(QStringLiteral("G1/Inf/SpTem.txt"),
          gridFile({{"№", "1", "2", "3"},
                    {"Код", "Т1", "кт1", "Т2"},
                    {"Вес", "2", "1", "1,5"},
                    {"Предмет, Тема, Вид работы, Имя фактора", "Алгоритмы", "Контрольная", "Циклы"}}));
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
