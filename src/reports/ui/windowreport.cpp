#include "reports/ui/windowreport.h"

#include "controls/services.h"

#include <QDir>

WindowReport::WindowReport(const QString &dataRoot, const QString &reportName)
    : DocxDocument(dataRoot.isEmpty() ? QDir::currentPath() : dataRoot, reportName, QDateTime::currentDateTime(),
                   [](const QString &path) { return Services::platform().openPath(path); })
{
}
