#pragma once

#include <QString>

#include <stdexcept>

namespace tavlex {

enum class FileErrorKind {
    CannotWrite,       // a file (the INI file) cannot be written
    CannotMakeFolder,  // a folder cannot be made
};

// A file or folder operation of the support library that failed. Kind() and Path() are what
// the user's text is chosen by (UserMessage); what() and Message() are for developers.
class FileError : public std::runtime_error {
  public:
    FileError(FileErrorKind kind, const QString& path);

    FileErrorKind Kind() const noexcept { return kind_; }
    const QString& Path() const noexcept { return path_; }
    QString Message() const { return QString::fromUtf8(what()); }

  private:
    FileErrorKind kind_;
    QString path_;
};

}  // namespace tavlex
