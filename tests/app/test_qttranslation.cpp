#include "app/qttranslation.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QtTest>

using namespace Qt::StringLiterals;

// Qt's own dialogs speak Russian once the program has installed Qt's translation.
class TestQtTranslation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Before: Qt's own English texts.
        QMessageBox english(QMessageBox::Question, u"?"_s, u"?"_s, QMessageBox::Yes);
        QCOMPARE(english.button(QMessageBox::Yes)->text().remove(u'&'), u"Yes"_s);
        QVERIFY(installQtTranslation(qApp));
    }

    void standardButtonsReadRussian_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << u"Да"_s;
        QTest::newRow("No") << int(QMessageBox::No) << u"Нет"_s;
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << u"Отмена"_s;
        QTest::newRow("Ok") << int(QMessageBox::Ok) << u"ОК"_s;
    }
    void standardButtonsReadRussian()
    {
        QFETCH(int, button);
        QFETCH(QString, text);
        // The question box the program asks with, as the teacher sees it.
        QMessageBox box(QMessageBox::Question, u"Вопрос"_s, u"Записать?"_s,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QAbstractButton *b = box.button(QMessageBox::StandardButton(button));
        QVERIFY(b && b->isVisible());
        QCOMPARE(b->text().remove(u'&'), text);
        QDialogButtonBox buttons{QDialogButtonBox::StandardButtons(button)};
        QCOMPARE(buttons.buttons().value(0)->text().remove(u'&'), text);
    }
};

QTEST_MAIN(TestQtTranslation)
#include "test_qttranslation.moc"
