#pragma once

#include <QString>

#include <stdexcept>

namespace tavlex {

// The one error of album reading and writing: the file cannot be opened or read, its compressed
// data are damaged, its structures do not fit its body, no temporary name is free, or a write
// failed. what() is the message in UTF-8; Message() the same as a QString.
class AlbumError : public std::runtime_error {
  public:
    explicit AlbumError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

}  // namespace tavlex
