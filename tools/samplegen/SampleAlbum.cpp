#include "tools/samplegen/SampleAlbum.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "support/Text.h"
#include "tools/samplegen/ChartPage.h"
#include "tools/samplegen/PageComposer.h"
#include "tools/samplegen/PhotoGenerator.h"

namespace tavlex::samplegen {
namespace {

using Subject = PhotoGenerator::Subject;

const QString kWork = QStringLiteral("県道桜川線道路改良工事");
const QString kTitle = QStringLiteral("県道桜川線道路改良工事　工事写真帳");
constexpr int kPageOffset = 2;

struct Shot {
    Subject subject;
    QString kind;
    QString date;
    QString place;
    QString note;
};

QStringList Chalk(const Shot& shot) {
    return {QStringLiteral("工事名\t") + kWork, QStringLiteral("工種\t") + shot.kind,
            QStringLiteral("測点\t") + shot.place, QStringLiteral("備考\t") + shot.note};
}

std::vector<PhotoSlot> Slots(const std::vector<Shot>& shots, std::uint32_t seed) {
    const PhotoGenerator generator;
    std::vector<PhotoSlot> result;
    for (const Shot& shot : shots) {
        PhotoSlot slot;
        slot.photo = generator.Make(shot.subject, seed++, Chalk(shot));
        slot.caption = {kWork, shot.kind, shot.date, shot.place, shot.note};
        result.push_back(std::move(slot));
    }
    return result;
}

ContentsRecord Entry(int page, int level, const QString& text) {
    ContentsRecord record;
    record.Page = static_cast<std::int16_t>(page);
    record.Level = static_cast<std::int16_t>(level);
    record.EntryText = ToShiftJis(text);
    return record;
}

AlbumContents Contents(bool turnedPages) {
    AlbumContents contents;
    contents.header.SetSignature("JXA");
    contents.header.SetProductVersion(90000);  // 9.0: the long settings layout
    contents.settings = AlbumSettings(true);
    AlbumSettings& s = contents.settings;
    // A fixed creation time keeps the build's output identical from run to run.
    s.SetCreated(DateTimeToOleDate(QDateTime(QDate(2024, 11, 20), QTime(17, 30, 0))));
    s.SetTitle(ToShiftJis(kTitle));
    s.SetRemarks(ToShiftJis(QStringLiteral("見本アルバム（自動生成）")));
    s.SetAuthor(ToShiftJis(QStringLiteral("桜川建設株式会社　現場代理人")));
    s.SetPageOffset(turnedPages ? 0 : kPageOffset);
    s.SetPaperCode(9);  // A4
    s.SetOrientation(0);
    s.SetPaperWidthMm(210);
    s.SetPaperHeightMm(297);
    s.SetGaijiAsBitmap(0);
    s.SetUsedFonts(ToShiftJis(QStringLiteral("ＭＳ 明朝\r\nＭＳ ゴシック")));
    contents.pageOrientation = turnedPages;
    contents.usualOrientation = 0;
    return contents;
}

}  // namespace

SampleAlbum::Album SampleAlbum::WorksAlbum() {
    Album album;
    album.contents = Contents(false);
    const PageComposer portrait(kTitle, PageComposer::Paper::A4Portrait);
    const QString oct = QStringLiteral("令和6年10月%1日");
    const std::vector<std::vector<Shot>> pages = {
        {{Subject::SiteView, QStringLiteral("準備工"), oct.arg(1), QStringLiteral("起点側 全景"),
          QStringLiteral("着手前")},
         {Subject::Excavation, QStringLiteral("土工　掘削工"), oct.arg(7),
          QStringLiteral("No.12+5.0 左側"), QStringLiteral("床掘り状況")},
         {Subject::Blackboard, QStringLiteral("土工　掘削工"), oct.arg(7),
          QStringLiteral("No.12+5.0"), QStringLiteral("掘削深 H=1.50m")}},
        {{Subject::Excavation, QStringLiteral("土工　床掘り"), oct.arg(9),
          QStringLiteral("No.14 右側"), QStringLiteral("床付け完了")},
         {Subject::Blackboard, QStringLiteral("土工　床掘り"), oct.arg(9), QStringLiteral("No.14"),
          QStringLiteral("床付け高 検測")}},
        {{Subject::RebarGrid, QStringLiteral("鉄筋工"), oct.arg(15),
          QStringLiteral("擁壁 L=12.0m 底版"), QStringLiteral("配筋状況 D19@200")},
         {Subject::Blackboard, QStringLiteral("鉄筋工"), oct.arg(15), QStringLiteral("擁壁 底版"),
          QStringLiteral("設計 D19@200 実測 D19@198")},
         {Subject::RebarGrid, QStringLiteral("鉄筋工"), oct.arg(16), QStringLiteral("擁壁 竪壁"),
          QStringLiteral("かぶり 検測")}},
        {{Subject::ConcreteWall, QStringLiteral("型枠工"), oct.arg(21), QStringLiteral("擁壁 竪壁"),
          QStringLiteral("型枠組立完了")},
         {Subject::ConcreteWall, QStringLiteral("コンクリート工"), oct.arg(28),
          QStringLiteral("擁壁 L=12.0m"), QStringLiteral("脱型後 仕上り状況")},
         {Subject::Blackboard, QStringLiteral("コンクリート工"), oct.arg(28),
          QStringLiteral("擁壁 天端"), QStringLiteral("天端幅 設計300 実測302")}},
        {},  // page 5: the Windows metafile page, added below
        {{Subject::SiteView, QStringLiteral("完成"), QStringLiteral("令和6年11月15日"),
          QStringLiteral("起点側 全景"), QStringLiteral("完成")},
         {Subject::ConcreteWall, QStringLiteral("完成"), QStringLiteral("令和6年11月15日"),
          QStringLiteral("擁壁 全景"), QStringLiteral("出来形 良好")}},
    };
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const int shown = static_cast<int>(i) + 1 + kPageOffset;
        if (pages[i].empty()) {
            album.pages.push_back({ChartPage::Compose(kTitle, shown), 0});
            continue;
        }
        album.pages.push_back({portrait.Compose(shown, Slots(pages[i], seed)), 0});
        seed += 10;
    }
    album.contents.contents = {
        Entry(1, 0, QStringLiteral("1. 準備工")),
        Entry(1, 0, QStringLiteral("2. 土工")),
        Entry(1, 1, QStringLiteral("掘削工")),
        Entry(2, 1, QStringLiteral("床掘り")),
        Entry(3, 0, QStringLiteral("3. 擁壁工")),
        Entry(3, 1, QStringLiteral("鉄筋工")),
        Entry(3, 2, QStringLiteral("底版 配筋")),
        Entry(3, 2, QStringLiteral("竪壁 配筋")),
        Entry(4, 1, QStringLiteral("型枠・コンクリート工")),
        Entry(5, 0, QStringLiteral("4. 出来形管理図")),
        Entry(6, 0, QStringLiteral("5. 完成")),
    };
    return album;
}

SampleAlbum::Album SampleAlbum::TurnedPageAlbum() {
    Album album;
    album.contents = Contents(true);
    const PageComposer portrait(kTitle, PageComposer::Paper::A4Portrait);
    const PageComposer landscape(kTitle, PageComposer::Paper::A4Landscape);
    const QString date = QStringLiteral("令和6年10月15日");
    const std::vector<Shot> first = {{Subject::RebarGrid, QStringLiteral("鉄筋工"), date,
                                      QStringLiteral("擁壁 底版"), QStringLiteral("配筋状況")},
                                     {Subject::Blackboard, QStringLiteral("鉄筋工"), date,
                                      QStringLiteral("擁壁 底版"), QStringLiteral("D19@200")}};
    const std::vector<Shot> wide = {
        {Subject::SiteView, QStringLiteral("全景"), date, QStringLiteral("起点側から終点側"),
         QStringLiteral("施工状況")},
        {Subject::Excavation, QStringLiteral("土工"), date, QStringLiteral("No.12〜No.14"),
         QStringLiteral("掘削状況")}};
    album.pages.push_back({portrait.Compose(1, Slots(first, 101)), 0});
    album.pages.push_back({landscape.Compose(2, Slots(wide, 111)), 1});  // turned the other way
    album.pages.push_back({portrait.Compose(3, Slots(first, 121)), 0});
    album.contents.contents = {Entry(1, 0, QStringLiteral("鉄筋工")),
                               Entry(2, 0, QStringLiteral("全景")),
                               Entry(3, 1, QStringLiteral("配筋検査"))};
    return album;
}

}  // namespace tavlex::samplegen
