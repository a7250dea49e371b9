#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestGridFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeBytes(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray cp(const char *utf8) { return *Cp1251::encode(QString::fromUtf8(utf8)); }

private Q_SLOTS:
    void writesColumnByColumnWithCrLf()
    {
        Grid g(3, 2, 0, 0);
        const char *texts[3][2] = {{"a", "б"}, {"", "  x "}, {"Ё", "№"}};
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 2; ++r)
                g.setCell(c, r, QString::fromUtf8(texts[c][r]));
        WriteGridFile(path("w.txt"), g);
        QFile f(path("w.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("3\r\n2\r\na\r\n") + cp("б") + "\r\n\r\n  x \r\n" + cp("Ё") + "\r\n" + cp("№") + "\r\n");

        Grid back(1, 1, 0, 0);
        ReadGridFile(path("w.txt"), back);
        QCOMPARE(back.colCount(), 3);
        QCOMPARE(back.rowCount(), 2);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 2; ++r)
                QCOMPARE(back.cell(c, r), QString::fromUtf8(texts[c][r]));
    }
};

QTEST_GUILESS_MAIN(TestGridFile)
#include "test_gridfile.moc"
