#pragma once

#include <QIODevice>
#include <QString>

#include <cerrno>
#include <stdexcept>

// Why a write to `device` just failed, for the message. A file that fills
// its disk comes back from Qt as a short write with no error of its own
// ("Unknown error"), while the system's errno still holds the reason: the
// caller clears errno before writing.
inline std::runtime_error WriteError(const QIODevice& device)
{
    const int reason = errno;
    return std::runtime_error((reason != 0 ? qt_error_string(reason) : device.errorString()).toStdString());
}
