#pragma once

#include "reports/documentcontent.h"

#include <QByteArray>

// The WordprocessingML package (.docx) of a report's content: A4 portrait with
// 2 cm margins (the left one as set), Times New Roman at the set size, tables
// of fixed layout with their widths in twips and, when enabled, single borders;
// rows never split over a page end and each table's first row (its column
// titles in every report) is repeated atop each page; "Стр. N из M" in the footer.
namespace Docx {

// Page and default text of a document whose operations did not set them.
inline constexpr int kPageWidthTwips = 11906;  // A4, 210 mm
inline constexpr int kPageHeightTwips = 16838; // 297 mm
inline constexpr int kMarginTwips = 1134;      // 2 cm
inline constexpr int kDefaultFontPoints = 12;

// The XML parts, as the package holds them.
QByteArray documentXml(const DocumentContent &content);
QByteArray stylesXml(const DocumentContent &content);
QByteArray settingsXml();
// The page footer "Стр. N из M", N and M as fields the word processor fills.
QByteArray footerXml();
// The document properties: the title is the report's name.
QByteArray coreXml(const QString &title);

// The whole package, zipped. ZError when it cannot be made.
QByteArray package(const DocumentContent &content, const QString &title = QString());

// A text as the document's XML may carry it: characters that XML cannot hold
// (control characters but tab and line breaks, unpaired surrogates, U+FFFE,
// U+FFFF) become U+FFFD, so that a damaged cell never spoils the document.
QString xmlSafe(const QString &text);

} // namespace Docx
