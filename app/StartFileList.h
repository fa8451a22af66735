#pragma once

#include <QString>
#include <QStringList>

namespace tavlex {

// The most albums a start opens from its command line.
inline constexpr int kMaxStartFiles = 50;

// The albums to open at start. With arguments: each non-empty one that names an existing file,
// as written, or, for a bare name, the file of that name in programFolder; gathering stops at the
// 51st. Without arguments: the program's own path with each album extension in turn (an album
// placed beside the program under its name).
QStringList StartFileList(const QStringList& arguments, const QString& programPath,
                          const QString& programFolder);

}  // namespace tavlex
