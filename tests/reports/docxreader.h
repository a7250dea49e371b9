#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// A .docx package read back as a word processor would: the parts unzipped
// (libzip) and the document's XML parsed, independently of the writer.
struct ReadDocx
{
    struct Table
    {
        QList<int> gridTwips;                // w:gridCol widths
        QList<QList<int>> cellTwips;         // w:tcW per cell
        QList<QStringList> cells;            // text per cell, row by row
        bool fixedLayout = false;
        QStringList borders;                 // "top=single" ... of w:tblBorders
        QList<QStringList> rowProperties;    // the elements of each row's w:trPr, in order
    };
    bool ok = false;
    QString error;
    QStringList partNames;
    QHash<QString, QByteArray> parts; // every part's bytes by name
    QStringList sectionElements;      // the children of w:sectPr, in order
    QStringList blocks;        // paragraph texts, "[table N]" for table N (from 0)
    QList<Table> tables;
    int fontHalfPoints = 0;    // docDefaults w:sz
    QString fontName;          // docDefaults w:rFonts w:ascii
    int leftMarginTwips = -1;  // w:pgMar w:left
    int rightMarginTwips = -1;
    int pageWidthTwips = 0;
    int pageHeightTwips = 0;
    bool everyTextPreserved = true; // each w:t carries xml:space="preserve"
    QByteArray documentXml;

    QStringList paragraphs() const
    {
        QStringList out;
        for (const QString &b : blocks)
            if (!b.startsWith(QLatin1String("[table ")))
                out << b;
        return out;
    }
};

ReadDocx readDocx(const QByteArray &package);
ReadDocx readDocxFile(const QString &path);
