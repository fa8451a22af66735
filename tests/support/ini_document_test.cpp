#include "support/IniDocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tavlex {
namespace {

QByteArray Bytes(std::string_view text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

// A write must change only the lines it has to: everything else comes back byte for byte.
struct EditCase {
    const char* name;
    std::string_view before;
    std::function<bool(IniDocument&)> edit;
    std::string_view after;
};

std::function<bool(IniDocument&)> Set(QString section, QString key, QString value) {
    return [=](IniDocument& d) { return d.SetValue(section, key, value); };
}

std::function<bool(IniDocument&)> Drop(QString section) {
    return [=](IniDocument& d) { return d.RemoveSection(section); };
}

class IniEdit : public testing::TestWithParam<EditCase> {};

TEST_P(IniEdit, ChangesOnlyWhatItMust) {
    IniDocument document(Bytes(GetParam().before));
    ASSERT_TRUE(GetParam().edit(document));
    EXPECT_EQ(document.ToBytes(), Bytes(GetParam().after));
}

const EditCase kEdits[] = {
    {"CommentsAndBlankLines", "; top\n\n[A]\n# note\nx=1\n\n[B]\ny=2\n", Set("A", "x", "5"),
     "; top\n\n[A]\n# note\nx=5\n\n[B]\ny=2\n"},
    {"UnknownKeysAndSections", "[A]\nold=a\nx=1\nzz=q\n[Other]\nx=1\n", Set("A", "x", "2"),
     "[A]\nold=a\nx=2\nzz=q\n[Other]\nx=1\n"},
    {"CrlfKept", "[A]\r\nx=1\r\n", Set("A", "z", "2"), "[A]\r\nx=1\r\nz=2\r\n"},
    {"CrlfNewSection", "[A]\r\nx=1\r\n", Set("B", "k", "v"), "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
    {"NewKeyBeforeBlankLines", "[A]\nx=1\n\n; B next\n[B]\n", Set("A", "y", "2"),
     "[A]\nx=1\ny=2\n\n; B next\n[B]\n"},
    {"NewKeyInEmptySection", "[A]\n[B]\ny=1\n", Set("A", "x", "1"), "[A]\nx=1\n[B]\ny=1\n"},
    {"NewSectionAfterBlankLine", "[A]\nx=1\n", Set("B", "k", "v"), "[A]\nx=1\n\n[B]\nk=v\n"},
    {"EmptyFile", "", Set("View_Env", "TreePanel", "1"), "[View_Env]\nTreePanel=1\n"},
    {"CrOnlyKept", "[A]\rx=1\r", Set("A", "y", "2"), "[A]\rx=1\ry=2\r"},
    {"NoTrailingNewline", "[A]\nx=1", Set("A", "y", "2"), "[A]\nx=1\ny=2\n"},
    {"NoTrailingNewlineCrlf", "[A]\r\nx=1", Set("A", "y", "2"), "[A]\r\nx=1\r\ny=2\r\n"},
    {"NoTrailingNewlineNewSection", "[A]\nx=1", Set("B", "k", "v"), "[A]\nx=1\n\n[B]\nk=v\n"},
    {"ChangedLastLineKeepsNoNewline", "[A]\nx=1", Set("A", "x", "2"), "[A]\nx=2"},
    {"CaseOfNamesKept", "[View_Env]\nTreePanel=1\n", Set("view_env", "TREEPANEL", "0"),
     "[View_Env]\nTreePanel=0\n"},
    {"SpacingAroundEqualsKept", "[A]\n  x = 1  \n", Set("A", "x", "2"), "[A]\n  x = 2\n"},
    {"KeyTwiceFirstChanged", "[A]\nx=1\nx=2\n", Set("A", "x", "9"), "[A]\nx=9\nx=2\n"},
    {"SectionTwiceKeyInSecond", "[A]\nx=1\n[B]\n[a]\ny=2\n", Set("A", "y", "3"),
     "[A]\nx=1\n[B]\n[a]\ny=3\n"},
    {"HeaderWithSpaces", "[ A ]\nx=1\n[My Section]\nz=1\n", Set("My Section", "z", "2"),
     "[ A ]\nx=1\n[My Section]\nz=2\n"},
    {"KeysBeforeFirstSectionAreNoSection", "x=1\n[A]\n", Set("A", "x", "2"), "x=1\n[A]\nx=2\n"},
    {"ByteOrderMarkKept", "\xEF\xBB\xBF[A]\nx=1\n", Set("A", "x", "2"), "\xEF\xBB\xBF[A]\nx=2\n"},
    {"CommentedKeyNotChanged", "[A]\n;x=1\n#x=1\n", Set("A", "x", "2"), "[A]\nx=2\n;x=1\n#x=1\n"},
    {"ShiftJisFileStaysShiftJis", "[A]\r\nname=\x83\x41\r\n",
     Set("A", "x", QString::fromUtf8("イ")), "[A]\r\nname=\x83\x41\r\nx=\x83\x43\r\n"},
    {"PaddedValueQuoted", "[A]\n", Set("A", "x", "  two  "), "[A]\nx=\"  two  \"\n"},
    {"QuotedValueQuotedAgain", "[A]\n", Set("A", "x", "'q'"), "[A]\nx=\"'q'\"\n"},
    {"LineBreaksCannotAddLines", "[A]\n", Set("A", "x", "a\r\nb\n[B]\rc"), "[A]\nx=a b [B] c\n"},
    {"DropOnlyItsSection", "; c\n[A]\nx=1\n; about B\n[B]\ny=2\n; in B\n[C]\nz=3\n", Drop("b"),
     "; c\n[A]\nx=1\n; about B\n[C]\nz=3\n"},
    {"DropEverySectionOfTheName", "[A]\nx=1\n[B]\nk=1\n[a]\ny=2", Drop("A"), "[B]\nk=1\n"},
    {"DropLastSectionCrlf", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", Drop("B"), "[A]\r\nx=1\r\n\r\n"},
};

INSTANTIATE_TEST_SUITE_P(Writes, IniEdit, testing::ValuesIn(kEdits),
                         [](const auto& info) { return std::string(info.param.name); });

// Reading follows Windows profile files.
struct ReadCase {
    const char* name;
    std::string_view file;
    const char* section;
    const char* key;
    std::optional<std::string_view> value;
};

class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FindsValue) {
    const IniDocument document(Bytes(GetParam().file));
    const std::optional<QByteArray> value =
        document.RawValue(QString::fromUtf8(GetParam().section), QString::fromUtf8(GetParam().key));
    ASSERT_EQ(value.has_value(), GetParam().value.has_value());
    if (value) {
        EXPECT_EQ(*value, Bytes(*GetParam().value));
    }
}

const ReadCase kReads[] = {
    {"NamesIgnoreCase", "[View_Env]\nTreeWidth=7\n", "VIEW_ENV", "treewidth", "7"},
    {"BlanksTrimmed", "[A]\n\t x \t=  a b  \n", "A", "x", "a b"},
    {"QuotesRemoved", "[A]\nx=\"  a \"\ny='b'\nz=\"c'\n", "A", "x", "  a "},
    {"SingleQuotesRemoved", "[A]\ny='b'\n", "A", "y", "b"},
    {"UnmatchedQuotesKept", "[A]\nz=\"c'\n", "A", "z", "\"c'"},
    {"EmptyValue", "[A]\nx=\n", "A", "x", ""},
    {"FirstOfTwice", "[A]\nx=1\nx=2\n", "A", "x", "1"},
    {"LaterSectionOfSameName", "[A]\n[B]\nx=1\n[a]\nx=2\n", "A", "x", "2"},
    {"MissingKey", "[A]\ny=1\n", "A", "x", std::nullopt},
    {"MissingSection", "[B]\nx=1\n", "A", "x", std::nullopt},
    {"KeyOfOtherSection", "[A]\n[B]\nx=1\n", "A", "x", std::nullopt},
    {"CommentsAreNoKeys", "[A]\n; x=1\n# x=2\n", "A", "x", std::nullopt},
    {"LineWithoutEqualsIsNoKey", "[A]\nx\n", "A", "x", std::nullopt},
    {"UnclosedHeaderIsNoSection", "[A\nx=1\n", "A", "x", std::nullopt},
    {"CrOnlyEndings", "[A]\rx=1\ry=2\r", "A", "y", "2"},
    {"EqualsInValue", "[A]\nurl=a=b\n", "A", "url", "a=b"},
    // 0x815D is one Shift-JIS character whose second byte is "]".
    {"ShiftJisBracketTrailByte", "[\x81\x5D\x83\x41]\nk=1\n", "\xE2\x80\x90\xE3\x82\xA2", "k", "1"},
};

INSTANTIATE_TEST_SUITE_P(Lookups, IniRead, testing::ValuesIn(kReads),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniDocument, RefusesWhatWouldReadBackDifferently) {
    const QByteArray before = "[A]\nx=1\n";
    IniDocument document(before);
    EXPECT_FALSE(document.SetValue(u"A", u"a=b", u"1"));
    EXPECT_FALSE(document.SetValue(u"a]b", u"x", u"1"));
    EXPECT_FALSE(document.SetValue(u"A", u";x", u"1"));
    EXPECT_FALSE(document.SetValue(u"A", u"[x]", u"1"));
    EXPECT_FALSE(document.SetValue(u"A", u"  ", u"1"));
    EXPECT_FALSE(document.SetValue(u"A", u"x\ny", u"1"));
    EXPECT_EQ(document.ToBytes(), before);

    IniDocument shiftJis(QByteArray("[A]\nx=\x83\x41\n"));
    ASSERT_EQ(shiftJis.FileEncoding(), IniDocument::Encoding::ShiftJis);
    EXPECT_FALSE(shiftJis.SetValue(u"A", u"x", u"\U0001F600"));
    EXPECT_EQ(shiftJis.Decode(*shiftJis.RawValue(u"A", u"x")), QString::fromUtf8("ア"));
}

TEST(IniDocument, TruncatesOnCharacterBoundaries) {
    const IniDocument utf8(QByteArray("[A]\n"));
    EXPECT_EQ(utf8.TruncateToCharacter("ab\xE3\x81\x82", 4), QByteArray("ab"));
    EXPECT_EQ(utf8.TruncateToCharacter("ab\xE3\x81\x82", 5), QByteArray("ab\xE3\x81\x82"));
    const IniDocument shiftJis(QByteArray("[A]\nx=\x83\x41\n"));
    EXPECT_EQ(shiftJis.TruncateToCharacter("a\x83\x41\x83\x41", 4), QByteArray("a\x83\x41"));
    EXPECT_EQ(shiftJis.TruncateToCharacter("a\x83\x41\x83\x41", 3), QByteArray("a\x83\x41"));
}

}  // namespace
}  // namespace tavlex
