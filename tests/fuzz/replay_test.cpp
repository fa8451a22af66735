// Every fuzz finding kept under tests/fuzz/<kind>/ run as its fuzz targets run it: each once
// crashed, leaked, ran away or asked for gigabytes. The sanitizer build runs this too, so a
// finding that leaks again fails here.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/common/GuiTestEnvironment.h"
#include "tests/fuzz/FuzzInputs.h"

namespace tavlex::fuzz {
namespace {

struct Finding {
    std::string kind;  // the folder: which targets replay it
    std::string file;
};

std::vector<Finding> Findings() {
    std::vector<Finding> findings;
    for (const char* kind : {"metafile", "album"}) {
        const QDir dir(QStringLiteral(TAVLEX_SOURCE_DIR "/tests/fuzz/") + QLatin1String(kind));
        for (const QString& file : dir.entryList(QDir::Files, QDir::Name))
            findings.push_back({kind, file.toStdString()});
    }
    return findings;
}

class Replay : public ::testing::TestWithParam<Finding> {};

TEST_P(Replay, RunsAsItsFuzzTargetsRunIt) {
    QFile file(
        QStringLiteral(TAVLEX_SOURCE_DIR "/tests/fuzz/%1/%2")
            .arg(QString::fromStdString(GetParam().kind), QString::fromStdString(GetParam().file)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << GetParam().file;
    const QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    if (GetParam().kind == "metafile") {
        PlayMetafileInput(data, size);
        ExportMetafileInput(data, size);
    } else {
        LoadAlbumInput(data, size);
    }
}

TEST(Replay, FindingsArePresent) {
    EXPECT_FALSE(Findings().empty());
}

INSTANTIATE_TEST_SUITE_P(Findings, Replay, ::testing::ValuesIn(Findings()),
                         [](const ::testing::TestParamInfo<Finding>& info) {
                             std::string name = info.param.kind + "_" + info.param.file;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
}  // namespace tavlex::fuzz
