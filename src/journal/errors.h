#pragma once

#include <QString>
#include <exception>

// The project's error types. Every failure carries a Russian message that names
// what failed (the file, the cell, the text that is not a number); the windows
// catch them in one guard and show the message.
class ZError : public std::exception
{
public:
    explicit ZError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A file that cannot be opened, read, created or written.
class FileError : public ZError
{
public:
    using ZError::ZError;
};

// A text that cannot be converted to a number.
class ConversionError : public ZError
{
public:
    using ZError::ZError;
};
