#include "support/FileError.h"

namespace tavlex {
namespace {

QString Describe(FileErrorKind kind, const QString& path) {
    switch (kind) {
        case FileErrorKind::CannotWrite:
            return QStringLiteral("cannot write %1").arg(path);
        case FileErrorKind::CannotMakeFolder:
            return QStringLiteral("cannot make the folder \"%1\"").arg(path);
    }
    return path;
}

}  // namespace

FileError::FileError(FileErrorKind kind, const QString& path)
    : std::runtime_error(Describe(kind, path).toUtf8().toStdString()), kind_(kind), path_(path) {}

}  // namespace tavlex
