// Plays every file of the shared public corpus: each one renders or is refused with the
// invalid-metafile error, within the playback caps. Files that nobody here wrote, some damaged
// on purpose, are the best stand-in for what users are sent.

#include <gtest/gtest.h>

#include "tests/common/GuiTestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "metafile/Metafile.h"

namespace tavlex::mf {
namespace {

const QString kCorpusDir = QStringLiteral(TAVLEX_SHARED_DIR "/corpus/metafiles");
const QString kReferenceTable = QStringLiteral(TAVLEX_SHARED_DIR "/corpus/reference/REFERENCE.tsv");
constexpr int kDefaultWidth = 480;
// Generous against the playback cap below, so only a real hang fails (sanitizer builds are slow).
constexpr qint64 kHangMillis = 60'000;

std::vector<std::string> CorpusFiles() {
    const QStringList names = QDir(kCorpusDir).entryList(QDir::Files, QDir::Name);
    std::vector<std::string> files;
    for (const QString& name : names) files.push_back(name.toStdString());
    if (files.empty()) files.push_back("");  // one skipped case says why
    return files;
}

// file name -> reference size, for files that have a reference picture.
const QHash<QString, QSize>& ReferenceSizes() {
    static const QHash<QString, QSize> sizes = [] {
        QHash<QString, QSize> table;
        QFile file(kReferenceTable);
        if (!file.open(QIODevice::ReadOnly)) return table;
        while (!file.atEnd()) {
            const QList<QByteArray> columns = file.readLine().trimmed().split('\t');
            if (columns.size() < 3) continue;
            bool okW = false, okH = false;
            const int w = columns[1].toInt(&okW), h = columns[2].toInt(&okH);
            if (okW && okH && w > 0 && h > 0)
                table.insert(QString::fromUtf8(columns[0]), QSize(w, h));
        }
        return table;
    }();
    return sizes;
}

// The reference's size, else 480 wide at the frame's own aspect.
QSize TargetSize(const QString& name, const Metafile& metafile) {
    if (auto it = ReferenceSizes().find(name); it != ReferenceSizes().end()) return *it;
    const QRect frame = metafile.Frame();
    int height = kDefaultWidth * 3 / 4;
    if (frame.width() > 0 && frame.height() > 0)
        height = int(
            std::clamp<qint64>(qint64{kDefaultWidth} * frame.height() / frame.width(), 1, 2000));
    return {kDefaultWidth, height};
}

class CorpusTest : public testing::TestWithParam<std::string> {};

TEST_P(CorpusTest, RendersOrIsRefused) {
    if (GetParam().empty())
        GTEST_SKIP() << "corpus not found at " << kCorpusDir.toStdString()
                     << " (the shared folder is absent here)";
    const QString name = QString::fromStdString(GetParam());
    QFile file(kCorpusDir + u'/' + name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    QElapsedTimer clock;
    clock.start();
    Metafile metafile;
    try {
        metafile = Metafile::Load(bytes);
    } catch (const MetafileError& error) {
        EXPECT_STREQ(error.what(), "メタファイルが不正です");
        RecordProperty("result", "refused");
        return;
    }
    ASSERT_FALSE(metafile.IsNull());

    const QSize size = TargetSize(name, metafile);
    QImage image(size, QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    image.fill(Qt::white);
    PlayLimits limits;
    limits.maxMillis = 5000;
    limits.maxBitmapBytes = std::int64_t{256} << 20;
    PlayResult result;
    {
        QPainter painter(&image);
        result = Play(metafile, painter, QRect(QPoint(0, 0), size), limits);
        // Playback must hand the painter back as it got it.
        EXPECT_EQ(painter.transform(), QTransform());
        EXPECT_FALSE(painter.hasClipping());
    }
    EXPECT_LT(clock.elapsed(), kHangMillis) << "playback did not stop within its time cap";
    RecordProperty("result", result.complete ? "complete" : "stopped");
    if (!result.complete) RecordProperty("stop_reason", result.stopReason.toStdString());
}

std::string CaseName(const testing::TestParamInfo<std::string>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(SharedCorpus, CorpusTest, testing::ValuesIn(CorpusFiles()), CaseName);

}  // namespace
}  // namespace tavlex::mf
