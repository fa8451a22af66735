// Both conversions over the public corpus of metafiles that nobody here wrote, some damaged on
// purpose: each file converts into a well-formed metafile of the other kind or is refused with
// the metafile error; nothing else escapes.

#include "metafile/EmfToWmf.h"
#include "metafile/EmfWriter.h"
#include "metafile/GdiDefs.h"
#include "metafile/Metafile.h"
#include "metafile/WmfToEmf.h"
#include "tests/metafile/wmf_test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace tavlex::mf {
namespace {

using testing::EmfRecords;
using testing::View;
using testing::WmfRecords;

QStringList CorpusFiles(const QString& suffix) {
    const QDir dir(QStringLiteral(TAVLEX_SHARED_DIR "/corpus/metafiles"));
    return dir.exists() ? dir.entryList({"*" + suffix}, QDir::Files, QDir::Name) : QStringList();
}

QByteArray ReadCorpusFile(const QString& name) {
    QFile file(QStringLiteral(TAVLEX_SHARED_DIR "/corpus/metafiles/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ExpectWellFormedEmf(const QByteArray& emf, const QString& name) {
    const auto records = EmfRecords(emf);
    ASSERT_GE(records.size(), 2u) << name.toStdString();
    EXPECT_EQ(records.front().type, emr::Header) << name.toStdString();
    EXPECT_EQ(records.back().type, emr::Eof) << name.toStdString();
    EXPECT_EQ(View(emf).U32Or(48), static_cast<std::uint32_t>(emf.size())) << name.toStdString();
    EXPECT_EQ(View(emf).U32Or(52), records.size()) << name.toStdString();
}

TEST(WmfCorpusTest, EveryPlaceableFileConvertsOrIsRefused) {
    const QStringList files = CorpusFiles(".wmf");
    if (files.isEmpty()) GTEST_SKIP() << "../shared/corpus is absent";
    int converted = 0;
    for (const QString& name : files) {
        const QByteArray wmf = ReadCorpusFile(name);
        try {
            const QByteArray emf = ConvertPlaceableWmfToEmf(wmf, 96);
            ExpectWellFormedEmf(emf, name);
            ++converted;
        } catch (const MetafileError&) {
            EXPECT_FALSE(IsPlaceableWmf(wmf) && wmf.size() > 200)
                << name.toStdString() << ": a placeable file of some size was refused";
        }
    }
    EXPECT_GE(converted, 30);
}

TEST(WmfCorpusTest, EveryReadableEnhancedFileExportsAsAPlaceableWmfThatReadsBack) {
    const QStringList files = CorpusFiles(".emf");
    if (files.isEmpty()) GTEST_SKIP() << "../shared/corpus is absent";
    int exported = 0;
    for (const QString& name : files) {
        Metafile metafile;
        try {
            metafile = Metafile::Load(ReadCorpusFile(name));
        } catch (const MetafileError&) {
            continue;  // refused by the reader: nothing to export
        }
        const QByteArray wmf = ConvertToPlaceableWmf(metafile);
        ASSERT_TRUE(IsPlaceableWmf(wmf)) << name.toStdString();
        const auto records = WmfRecords(wmf);
        ASSERT_FALSE(records.empty()) << name.toStdString();
        EXPECT_EQ(records.back().function, wmr::Eof) << name.toStdString();
        EXPECT_EQ(View(wmf).U32Or(28), static_cast<std::uint32_t>((wmf.size() - 22) / 2))
            << name.toStdString();
        // Without the carried original, the records themselves must read back.
        ExpectWellFormedEmf(ConvertPlaceableWmfToEmf(testing::WithoutEscapes(wmf), 96), name);
        ++exported;
    }
    EXPECT_GE(exported, 200);
}

}  // namespace
}  // namespace tavlex::mf
