#pragma once
// The program's exception classes. Every error carries its user-visible message as text
// (Polish), shown as it stands by the window or tool that catches it.

#include <QString>
#include <exception>

namespace vek {

class Exception : public std::exception {
public:
    explicit Exception(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A stream that cannot deliver what was asked of it (short file, not a printout).
class EStreamError : public Exception {
    using Exception::Exception;
};

// A file that cannot be opened.
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};

// Compressed data that zlib refuses.
class EZlibError : public EStreamError {
    using EStreamError::EStreamError;
};

// A picture whose bytes are not a valid metafile.
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};

} // namespace vek
