#include "access/ui/tzapusk.h"

#include "controls/helpviewer.h"

#include "access/authorcontacts.h"
#include "controls/handler.h"
#include "controls/services.h"
#include "controls/tdxfbackground.h"
#include "controls/tdxfcolorbutton.h"
#include "controls/windowtools.h"
#include "journal/errors.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

static void initAccessResources()
{
    Q_INIT_RESOURCE(access);
}

namespace {

TdxfColorButton *colorButton(QWidget *parent, const QString &name, const QString &hint, const QColor &color, QSize size)
{
    auto *b = new TdxfColorButton(parent);
    setHint(b, name, hint);
    b->setColor(color);
    b->resize(size);
    return b;
}

void captionFont(TdxfColorButton *b)
{
    QFont font = b->font();
    font.setBold(true);
    font.setPixelSize(16);
    b->setFont(font);
}

} // namespace

TZapusk::TZapusk(const QString &accessFile, QWidget *parent) : QWidget(parent)
{
    initAccessResources();
    setObjectName(u"Zapusk"_s);
    setWindowTitle(u"Журнал успеваемости %1"_s.arg(QStringLiteral(ZHURNAL_VERSION)));
    setFixedSize(420, 232);
    setHelpPage(this, u"vhod.html"_s);

    m_background = new TdxfBackGround(this);
    m_background->setBeginColor(QColor(0, 255, 255)); // aqua
    m_background->setEndColor(QColor(0, 0, 128));    // navy
    m_background->setFillStyle(TdxfBackGround::fsVert);
    m_background->setSpeed(700);

    Komentar = new QLineEdit(this);
    Komentar->setObjectName(u"Komentar"_s);
    Komentar->setReadOnly(true);
    Komentar->setGeometry(10, 10, 400, 26);

    GroupBox1 = new QGroupBox(u"Пароль"_s, this);
    setHint(GroupBox1, u"GroupBox1"_s, u"Не изменяйте здесь ничего, не прочитав инструкции!"_s);
    GroupBox1->setGeometry(10, 46, 236, 60);
    NomZamka = new QLineEdit(u"580317"_s, GroupBox1);
    NomZamka->setObjectName(u"NomZamka"_s);
    NomZamka->setMaxLength(12);
    NomZamka->setEchoMode(QLineEdit::Password);
    NomZamka->setGeometry(10, 24, 216, 26);
    // The preset password is selected whenever the box takes the focus, so
    // that what the teacher types replaces it instead of trailing it.
    NomZamka->selectAll();
    NomZamka->installEventFilter(this);

    OpisProgr = colorButton(this, u"OpisProgr"_s, u"Описание программы"_s, QColor(255, 255, 0), {25, 25});
    OpisProgr->setGlyph(QPixmap(u":/access/help.png"_s));
    OpisProgr->move(306, 66);
    dxfColorButton2 = colorButton(this, u"dxfColorButton2"_s, u"Сайт автора"_s, QColor(255, 255, 255), {33, 33});
    dxfColorButton2->setGlyph(QPixmap(u":/access/web.png"_s));
    dxfColorButton2->move(350, 62);

    Dalee = colorButton(this, u"Dalee"_s, u"Перейти в картотеку"_s, QColor(0, 255, 0), {97, 41});
    Dalee->setCaption({u"Дальше"_s});
    captionFont(Dalee);
    Dalee->setCaptionColor(Qt::black);
    Dalee->move(96, 120);
    dxfColorButton1 = colorButton(this, u"dxfColorButton1"_s, u"Выйти из программы"_s, QColor(255, 0, 0), {81, 41});
    dxfColorButton1->setCaption({u"Отмена"_s});
    captionFont(dxfColorButton1);
    dxfColorButton1->setCaptionColor(Qt::white);
    dxfColorButton1->move(236, 120);

    Pismo = new QPushButton(QString::fromUtf16(AuthorContacts::kCredit), this);
    setHint(Pismo, u"Pismo"_s, u"Послать письмо автору"_s);
    Pismo->setAutoDefault(true); // Enter on the focused button sends the letter
    Pismo->setGeometry(10, 176, 400, 46);

    connect(Dalee, &TdxfColorButton::clicked, this, &TZapusk::DaleeClick);
    connect(dxfColorButton1, &TdxfColorButton::clicked, this, &TZapusk::dxfColorButton1Click);
    connect(OpisProgr, &TdxfColorButton::clicked, this, &TZapusk::OpisProgrClick);
    connect(dxfColorButton2, &TdxfColorButton::clicked, this, &TZapusk::dxfColorButton2Click);
    connect(Pismo, &QPushButton::clicked, this, &TZapusk::PismoClick);

    // Reading order: the message line, the password, the help and site buttons
    // beside it, "Дальше" and "Отмена", the letter along the bottom.
    setTabOrder(Komentar, NomZamka);
    setTabOrder(NomZamka, OpisProgr);
    setTabOrder(OpisProgr, dxfColorButton2);
    setTabOrder(dxfColorButton2, Dalee);
    setTabOrder(Dalee, dxfColorButton1);
    setTabOrder(dxfColorButton1, Pismo);
    NomZamka->setFocus();

    readAccessTable(accessFile);
    showLogin();
}

TZapusk::~TZapusk() = default;

void TZapusk::readAccessTable(const QString &accessFile)
{
    AccessFileContents contents;
    QString message = Login::initialMessage();
    guarded(this, [&] {
        contents = AccessFile::openOrCreate(accessFile, QDate::currentDate());
        if (contents.damaged())
            message = AccessFile::damagedMessage(accessFile, contents);
    });
    m_login = std::make_unique<Login>(contents.records, message);
}

void TZapusk::showLogin()
{
    Komentar->setText(m_login->messageLine());
    Komentar->setCursorPosition(0);
    Dalee->setVisible(!m_login->closed());
}

bool TZapusk::ProveritDostup()
{
    const bool granted = m_login->check(NomZamka->text());
    if (!m_login->scaleAllowed())
        Q_EMIT scaleForbidden();
    if (!m_login->accessEditorAllowed())
        Q_EMIT accessEditorForbidden();
    showLogin();
    return granted;
}

void TZapusk::DaleeClick()
{
    if (!ProveritDostup()) {
        m_login->countRefusal();
        showLogin();
        // The next try replaces the refused text.
        NomZamka->setFocus(Qt::OtherFocusReason);
        NomZamka->selectAll();
        return;
    }
    Q_EMIT admitted();
    // The journal window's run is over, and so is the program's. Hidden behind
    // that window, the login window's closing alone would not end it.
    close();
    QCoreApplication::quit();
}

void TZapusk::dxfColorButton1Click()
{
    close();
}

QString TZapusk::helpPage()
{
    const QString folder = helpFolder();
    const QFileInfo file(folder + u"/vhod.html"_s);
    return !folder.isEmpty() && file.isFile() ? file.absoluteFilePath() : QString();
}

void TZapusk::OpisProgrClick()
{
    // The program's own viewer: the page opens without a browser.
    showHelp(this, u"vhod.html"_s);
}

void TZapusk::dxfColorButton2Click()
{
    runHandler(this, [] {
        const QString site = QString::fromLatin1(AuthorContacts::kSite);
        if (!Services::platform().openAddress(site))
            throw ZError(u"Не удалось открыть адрес %1 в браузере."_s.arg(site));
    });
}

void TZapusk::PismoClick()
{
    runHandler(this, [this] {
        QUrl letter;
        letter.setScheme(u"mailto"_s);
        letter.setPath(QString::fromLatin1(AuthorContacts::kMail));
        QUrlQuery query;
        query.addQueryItem(u"subject"_s, windowTitle() + u": письмо автору"_s);
        query.addQueryItem(u"body"_s, QString::fromUtf16(AuthorContacts::kGreeting));
        letter.setQuery(query);
        const QString address = letter.toString(QUrl::FullyEncoded);
        if (!Services::platform().openAddress(address))
            throw ZError(u"Не удалось создать письмо автору (%1)."_s.arg(QString::fromLatin1(AuthorContacts::kMail)));
    });
}

bool TZapusk::eventFilter(QObject *watched, QEvent *event)
{
    // A click places the cursor where it lands; every other way in (Tab, the
    // window's activation at the first showing) selects the whole text.
    if (watched == NomZamka && event->type() == QEvent::FocusIn
        && static_cast<QFocusEvent *>(event)->reason() != Qt::MouseFocusReason)
        NomZamka->selectAll();
    return QWidget::eventFilter(watched, event);
}

void TZapusk::keyPressEvent(QKeyEvent *event)
{
    // Enter anywhere in the window presses "Дальше" while it is there.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !Dalee->isHidden()) {
        Dalee->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
