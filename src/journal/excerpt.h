#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How a message quotes a text from a file or a user: at most kExcerptLength
// characters, then "…"; control characters are shown escaped (\x00, \n), so
// that a NUL or a line break never reaches a message box raw.
inline constexpr qsizetype kExcerptLength = 40;

// The text as a message quotes it.
QString excerpt(QStringView text);
// The same for cp1251 bytes; only the quoted bytes are decoded, so a huge line
// costs no more than a short one.
QString excerptBytes(QByteArrayView bytes);
// The text in «», as a message quotes it.
QString quotedExcerpt(QStringView text);

// A file or folder path in «», control characters escaped; a very long path
// keeps its start and its end.
QString quotedPath(QStringView path);

// True when the text holds a control character (U+0000 to U+001F or U+007F).
bool hasControlCharacter(QStringView text);

// The text with every line break (CR LF, LF or lone CR) turned into one blank,
// as a one-line field takes a pasted text.
QString oneLine(QStringView text);

// A count with its noun in the form Russian gives it after that number: the
// forms for 1 (and 21, 31, ...), for 2-4 (22-24, ...) and for the rest (5-20,
// 11-14, 25, ...): counted(7, u"урок", u"урока", u"уроков") is "7 уроков".
QString counted(qint64 n, QStringView one, QStringView few, QStringView many);
