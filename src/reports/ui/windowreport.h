#pragma once

#include "reports/docxdocument.h"

// The document of a window's print button: written into the data root's
// reports folder and opened in the user's word processor through the
// platform services.
class WindowReport : public DocxDocument
{
public:
    WindowReport(const QString &dataRoot, const QString &reportName);
};
