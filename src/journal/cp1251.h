#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The Windows Cyrillic code page in which every data file is kept.
namespace Cp1251 {

QString decode(const QByteArray &bytes);
QString decode(const char *bytes, qsizetype size);
// Sets a text to the decoded bytes, the way the cells of a file are read: a
// text of one character, and a score of two digits or of a digit, a comma and
// a digit (most score cells), refers to one constant string per text, never
// allocated and never reference-counted, and a text that
// holds the decoded text already is left as it is, so that reading a journal
// again into its grid allocates nothing for the cells that did not change.
void assignShared(QString &text, const char *bytes, qsizetype size);

// Appends the encoded text; false (and nothing appended) when some character
// has no cp1251 byte.
bool appendEncoded(const QString &text, QByteArray &out);

// How a text that is to stand on one line of a file encodes.
enum class LineEncoding { Ok, Unencodable, LineBreak };
// Appends the encoded text, which must hold no CR or LF (a line of a data
// file); on failure nothing is appended and the result says why.
LineEncoding appendLineEncoded(const QString &text, QByteArray &out);

// Encodes a text; std::nullopt when some character has no cp1251 byte.
std::optional<QByteArray> encode(const QString &text);

// True when every character of the text can be stored in cp1251.
bool canEncode(const QString &text);

// The first character that cp1251 cannot hold, or -1.
qsizetype firstUnencodable(const QString &text);

} // namespace Cp1251
