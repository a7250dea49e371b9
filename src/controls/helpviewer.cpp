#include "controls/helpviewer.h"

#include <algorithm>

#include <QScreen>

#include "controls/handler.h"
#include "controls/services.h"
#include "controls/windowtools.h"
#include "journal/errors.h"
#include "journal/excerpt.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kViewerName = QStringLiteral("HelpViewer");

// A local file inside the help folder, links and ".." resolved.
bool insideHelp(const QString &file, const QString &folder)
{
    const QFileInfo info(file);
    if (folder.isEmpty() || !info.isFile())
        return false;
    const QString canonical = info.canonicalFilePath();
    return canonical.startsWith(folder + QLatin1Char('/'));
}
} // namespace

QString helpFolder()
{
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/help"),
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/zhurnal/help"),
        QStringLiteral(ZHURNAL_HELP_DIR),
    };
    for (const QString &folder : candidates) {
        const QFileInfo index(folder + QStringLiteral("/index.html"));
        if (index.isFile())
            return QFileInfo(folder).canonicalFilePath();
    }
    return QString();
}

HelpViewer::HelpViewer(QWidget *parent) : QDialog(parent)
{
    setObjectName(kViewerName);
    setWindowFlags(Qt::Window);
    setModal(false);
    setWindowTitle(QStringLiteral("Справка"));
    Nazad = makeToolButton(this, QStringLiteral("Nazad"), QStringLiteral("Назад"), QString(), QStyle::SP_ArrowBack);
    Vpered = makeToolButton(this, QStringLiteral("Vpered"), QStringLiteral("Вперёд"), QString(), QStyle::SP_ArrowForward);
    Nazad->setEnabled(false);
    Vpered->setEnabled(false);
    Stranica = new QTextBrowser(this);
    Stranica->setObjectName(QStringLiteral("Stranica"));
    // Every link is looked at first: only help pages open here.
    Stranica->setOpenLinks(false);
    Stranica->setOpenExternalLinks(false);
    connect(Stranica, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);
    connect(Stranica, &QTextBrowser::backwardAvailable, Nazad, &QWidget::setEnabled);
    connect(Stranica, &QTextBrowser::forwardAvailable, Vpered, &QWidget::setEnabled);
    connect(Nazad, &QToolButton::clicked, Stranica, &QTextBrowser::backward);
    connect(Vpered, &QToolButton::clicked, Stranica, &QTextBrowser::forward);
    connect(Stranica, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = Stranica->documentTitle().simplified();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Справка") : title);
    });
    auto *back = new QShortcut(QKeySequence::Back, this);
    connect(back, &QShortcut::activated, Stranica, &QTextBrowser::backward);
    auto *forward = new QShortcut(QKeySequence::Forward, this);
    connect(forward, &QShortcut::activated, Stranica, &QTextBrowser::forward);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Nazad);
    buttons->addWidget(Vpered);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addLayout(buttons);
    layout->addWidget(Stranica, 1);
    resize(760, 600);
}

QUrl HelpViewer::source() const
{
    return Stranica->source();
}

void HelpViewer::showPage(const QString &page)
{
    const QString folder = helpFolder();
    if (folder.isEmpty())
        throw ZError(QStringLiteral("Справка не найдена: нет папки со страницами справки программы."));
    QUrl url = QUrl::fromLocalFile(folder + QLatin1Char('/'));
    showUrl(url.resolved(QUrl(page)));
}

void HelpViewer::showUrl(const QUrl &url)
{
    QUrl page = url;
    page.setFragment(QString());
    if (!insideHelp(page.toLocalFile(), helpFolder()))
        throw ZError(QStringLiteral("Страница справки %1 не найдена.").arg(quotedPath(page.toLocalFile())));
    Stranica->setSource(url);
}

void HelpViewer::followLink(const QUrl &link)
{
    runHandler(this, [this, &link] {
        const QString scheme = link.scheme().toLower();
        if (scheme.isEmpty() || scheme == u"file") {
            showUrl(Stranica->source().resolved(link));
            return;
        }
        const QString address = link.toString(QUrl::FullyEncoded);
        if (scheme != u"http" && scheme != u"https" && scheme != u"mailto")
            throw ZError(QStringLiteral("Ссылка %1 ведёт не на страницу справки и не в сеть.").arg(quotedExcerpt(address)));
        if (!Services::platform().openAddress(address))
            throw ZError(scheme == u"mailto"
                             ? QStringLiteral("Не удалось создать письмо по адресу %1: на этом компьютере нет почтовой программы.").arg(quotedExcerpt(link.path()))
                             : QStringLiteral("Не удалось открыть адрес %1: на этом компьютере нет браузера.").arg(quotedExcerpt(address)));
    });
}

HelpViewer *showHelp(QWidget *window, const QString &page)
{
    QWidget *owner = window ? window->window() : nullptr;
    HelpViewer *viewer = nullptr;
    if (owner)
        viewer = owner->findChild<HelpViewer *>(kViewerName, Qt::FindDirectChildrenOnly);
    const bool created = !viewer;
    if (created)
        viewer = new HelpViewer(owner);
    const bool shown = runHandler(owner, [viewer, &page] { viewer->showPage(page); });
    if (!shown) {
        if (created)
            delete viewer;
        return nullptr;
    }
    if (created && owner && owner->screen()) {
        // Over the middle of its window, whole on the screen, its title bar too.
        const QRect room = owner->screen()->availableGeometry().adjusted(0, 0, 0, -40);
        const QSize size = viewer->size().boundedTo(room.size() - QSize(20, 20));
        viewer->resize(size);
        const QPoint middle = owner->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
        viewer->move(std::clamp(middle.x(), room.left(), std::max(room.left(), room.right() - size.width())),
                     std::clamp(middle.y(), room.top(), std::max(room.top(), room.bottom() - size.height())));
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

void setHelpPage(QWidget *window, const QString &page)
{
    auto *key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName(QStringLiteral("HelpKey"));
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [window, page] { showHelp(window, page); });
}
