#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

// A zip archive of the files given, in that order, each deflated, written by
// Debian's libzip into memory. Throws std::runtime_error with libzip's
// reason if it cannot.
QByteArray ZipArchive(const std::vector<std::pair<QString, QByteArray>>& files);
