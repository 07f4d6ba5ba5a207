#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QString>

#include <cerrno>
#include <stdexcept>

// Writes to an output file that throw std::runtime_error with the reason
// when they fail. A file that fills its disk comes back from Qt as a short
// write with no error of its own ("Unknown error"), while the system's errno
// still holds the reason: it is cleared before and read right after.

inline std::runtime_error WriteError(const QIODevice& device)
{
    const int reason = errno;
    return std::runtime_error((reason != 0 ? qt_error_string(reason) : device.errorString()).toStdString());
}

inline void WriteAll(QIODevice& device, const QByteArray& bytes)
{
    errno = 0;
    if (device.write(bytes) != bytes.size())
        throw WriteError(device);
}

inline void WritePng(const QImage& image, QIODevice& device)
{
    errno = 0;
    if (!image.save(&device, "PNG"))
        throw WriteError(device);
}
