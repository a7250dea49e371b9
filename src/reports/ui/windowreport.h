#pragma once

#include "reports/docxdocument.h"

class QWidget;

// The document of a window's print button: written into the data root's
// reports folder and opened in the user's word processor through the
// platform services. When no program opens it, or when the teacher asked
// for a preview, it is shown in the print preview, from which it prints.
class WindowReport : public DocxDocument
{
public:
    enum class Mode { Open, Preview };
    WindowReport(const QString &dataRoot, const QString &reportName, QWidget *parent = nullptr, Mode mode = Mode::Open);

    void ShowReport() override;

    // Shows the content in the print preview of the platform services; a
    // ZError when the preview could not be drawn.
    static void preview(QWidget *parent, const DocumentContent &content, const QString &title);

private:
    QWidget *m_parent = nullptr;
    Mode m_mode = Mode::Open;
};
