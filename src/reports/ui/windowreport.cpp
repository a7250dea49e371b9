#include "reports/ui/windowreport.h"

#include "controls/services.h"
#include "reports/ui/reportprint.h"

#include <QDir>

WindowReport::WindowReport(const QString &dataRoot, const QString &reportName, QWidget *parent, Mode mode)
    : DocxDocument(dataRoot.isEmpty() ? QDir::currentPath() : dataRoot, reportName, QDateTime::currentDateTime(),
                   [](const QString &path) { return Services::platform().openPath(path); }),
      m_parent(parent), m_mode(mode)
{
}

void WindowReport::ShowReport()
{
    if (m_mode == Mode::Preview) {
        if (!content().started())
            throw ZError(QStringLiteral("Отчёт не составлен: документ ещё не начат."));
        preview(m_parent, content(), title());
        return;
    }
    try {
        DocxDocument::ShowReport();
    } catch (const ReportNotOpened &e) {
        // The document is written; without a word processor the teacher still
        // sees it and can print it from the preview.
        Services::messages().error(m_parent, e.message() + QStringLiteral(" Отчёт показан в окне просмотра: оттуда его можно напечатать."));
        preview(m_parent, content(), title());
    }
}

void WindowReport::preview(QWidget *parent, const DocumentContent &content, const QString &title)
{
    const ReportPrint print(content);
    if (!Services::platform().previewDocument(parent, title, print.pageLayout(),
                                              [&print](QPagedPaintDevice *device) { return print.paint(device); }))
        throw ZError(QStringLiteral("Просмотр отчёта %1 не показан: не удалось нарисовать его страницы.").arg(title));
}
