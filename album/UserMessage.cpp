#include "album/UserMessage.h"

namespace tavlex {
namespace {

QString Naming(const QString& text, const QString& fileName) {
    return fileName.isEmpty() ? text : text + QStringLiteral(" > ") + fileName;
}

const QString kInvalidMetafile = QStringLiteral("メタファイルが不正です");

}  // namespace

QString UserMessage(LoadStatus status, const QString& fileName) {
    switch (status) {
        case LoadStatus::NoFile:
            return QStringLiteral("書類名がパラメータとして渡されていません。");
        case LoadStatus::NotAlbumName:
            return QStringLiteral("この形式はサポートされていません。 > ") + fileName;
        case LoadStatus::UnsupportedVersion:
            return QStringLiteral("このバージョンはサポートされていません。 > ") + fileName;
        case LoadStatus::Loaded:
        case LoadStatus::NoPages:
            break;
    }
    return {};
}

QString UserMessage(AlbumErrorKind kind, const QString& fileName) {
    switch (kind) {
        case AlbumErrorKind::CannotOpen:
            return Naming(QStringLiteral("ブラウザファイルを読み込めません。"), fileName);
        case AlbumErrorKind::Damaged:
            return Naming(QStringLiteral("ブラウザファイルが壊れています。"), fileName);
        case AlbumErrorKind::NoTemporaryName:
            return QStringLiteral(
                "同時に開けるブラウザファイルは31個までです。"
                "他の書類を閉じてから開いてください。");
        case AlbumErrorKind::TemporaryFile:
            return QStringLiteral(
                "一時ファイルに書き込めません。ディスクの空き容量を確認して"
                "ください。");
        case AlbumErrorKind::InvalidPage:
            return kInvalidMetafile;
        case AlbumErrorKind::NoSuchPage:
            return QStringLiteral("指定したページはありません。");
        case AlbumErrorKind::CannotWrite:
            return fileName.isEmpty() ? QStringLiteral("ファイルに書き込めません")
                                      : QStringLiteral("%1 に書き込めません").arg(fileName);
        case AlbumErrorKind::AlbumChanged:
            return Naming(QStringLiteral("ブラウザファイルは開いた後で変更されています。"),
                          fileName);
        case AlbumErrorKind::InvalidDescription:
            return QStringLiteral("書類の記述が不正です。");
    }
    return {};
}

QString UserMessage(FileErrorKind kind, const QString& path) {
    switch (kind) {
        case FileErrorKind::CannotWrite:
            return QStringLiteral("%1 に書き込めません").arg(path);
        case FileErrorKind::CannotMakeFolder:
            return QStringLiteral("ディレクトリを作成することができません");
    }
    return {};
}

QString UserMessage(mf::MetafileErrorKind kind) {
    switch (kind) {
        case mf::MetafileErrorKind::NotArrived:
            // The page's bytes could not be read from the temporary file.
            return UserMessage(AlbumErrorKind::TemporaryFile, QString());
        case mf::MetafileErrorKind::NotMetafile:
        case mf::MetafileErrorKind::BadHeader:
        case mf::MetafileErrorKind::BadRecord:
        case mf::MetafileErrorKind::TooLarge:
        case mf::MetafileErrorKind::Truncated:
            break;
    }
    return kInvalidMetafile;
}

QString UserMessage(const std::exception& error, const QString& fileName) {
    if (const auto* album = dynamic_cast<const AlbumError*>(&error)) {
        return UserMessage(album->Kind(), fileName);
    }
    if (const auto* file = dynamic_cast<const FileError*>(&error)) {
        return UserMessage(file->Kind(), file->Path());
    }
    if (const auto* metafile = dynamic_cast<const mf::MetafileError*>(&error)) {
        return UserMessage(metafile->Kind());
    }
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        return QStringLiteral("メモリが不足しているため処理を続行できません。");
    }
    return QStringLiteral("予期しないエラーのため処理を続行できません。");
}

}  // namespace tavlex
