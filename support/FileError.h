#pragma once

#include <QString>

#include <stdexcept>

namespace tavlex {

// A file or folder operation of the support library that failed: an INI file that cannot be
// written, a folder that cannot be made. The message is the user's text as it is shown;
// what() holds it in UTF-8.
class FileError : public std::runtime_error {
  public:
    explicit FileError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}

    const QString& message() const noexcept { return message_; }

  private:
    QString message_;
};

}  // namespace tavlex
