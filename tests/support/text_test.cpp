#include <gtest/gtest.h>

#include <QStringList>

#include "support/Messages.h"
#include "support/Text.h"

namespace tavlex {
namespace {

// Shift-JIS bytes used below.
const QByteArray kWideBlank("\x81\x40");  // full-width blank
const QByteArray kKanji("\x88\x9f");      // a two-byte character
const QByteArray kEndsIn40("\x83\x40");   // a character whose trail byte is 0x40
const QByteArray kTrail5C("\x95\x5c");    // a character whose trail byte is '\'

struct TextToIntCase {
    const char* text;
    std::int32_t value;
};

class TextToIntTest : public testing::TestWithParam<TextToIntCase> {};

TEST_P(TextToIntTest, NeverFails) {
    EXPECT_EQ(TextToInt(QByteArrayView(GetParam().text)), GetParam().value);
    EXPECT_EQ(TextToInt(QString::fromLatin1(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, TextToIntTest,
                         testing::Values(TextToIntCase{"", 0}, TextToIntCase{"-7", -7},
                                         TextToIntCase{"$1F", 31}, TextToIntCase{"$1f", 31},
                                         TextToIntCase{" 50 %", 50}, TextToIntCase{"12abc", 12},
                                         TextToIntCase{"abc", 0}, TextToIntCase{"+8", 8},
                                         TextToIntCase{"-", 0}, TextToIntCase{"$", 0},
                                         TextToIntCase{"-$10", -16}, TextToIntCase{"$FFFFFFFF", -1},
                                         TextToIntCase{"$00FFFFFF", 16777215},
                                         TextToIntCase{"2147483647", 2147483647},
                                         TextToIntCase{"-2147483648", -2147483647 - 1},
                                         TextToIntCase{"99999999999999999999", 2147483647},
                                         TextToIntCase{"-99999999999999999999", -2147483647 - 1},
                                         TextToIntCase{"\t 3", 3}, TextToIntCase{"1 2", 1}));

TEST(TextToIntTest, NonLatinCharactersStopTheNumber) {
    EXPECT_EQ(TextToInt(QStringLiteral("12３4")), 12);
    EXPECT_EQ(TextToInt(QStringLiteral("％5")), 0);
}

TEST(IntToTextTest, Decimal) {
    EXPECT_EQ(IntToText(-42), "-42");
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(std::int64_t{1} << 40), "1099511627776");
}

TEST(CopyTextTest, BytesByOneBasedPosition) {
    EXPECT_EQ(CopyText("abcdef", 2, 3), "bcd");
    EXPECT_EQ(CopyText("abcdef", 5, 10), "ef");
    EXPECT_EQ(CopyText("abcdef", 0, 2), "ab");
    EXPECT_EQ(CopyText("abcdef", 7, 1), "");
    EXPECT_EQ(CopyText("abcdef", 2, 0), "");
    EXPECT_EQ(CopyText("abcdef", 2, -1), "");
}

TEST(CharTest, CountsAndCopiesWholeCharacters) {
    const QByteArray text = "ab" + kKanji;
    EXPECT_EQ(CharCount(text), 3);
    EXPECT_EQ(CharCopy(text, 3, 1), kKanji);
    EXPECT_EQ(CharCopy(text, 2, 5), "b" + kKanji);
    EXPECT_EQ(CharCopy(text, 0, 1), "a");
    EXPECT_EQ(CharCopy(text, 4, 1), "");
    EXPECT_EQ(CharCopy(text, 1, 0), "");
    // A lead byte cut off at the end counts as one character and is copied whole.
    EXPECT_EQ(CharCount(QByteArray("a\x88")), 2);
    EXPECT_EQ(CharCopy(QByteArray("a\x88"), 2, 1), QByteArray("\x88"));
}

struct CharPosCase {
    QByteArray sub;
    QByteArray text;
    qsizetype position;
};

class CharPosTest : public testing::TestWithParam<CharPosCase> {};

TEST_P(CharPosTest, FindsOnlyAtCharacterBoundaries) {
    EXPECT_EQ(CharPos(GetParam().sub, GetParam().text), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CharPosTest,
    testing::Values(CharPosCase{"c", "abc", 3}, CharPosCase{"", "abc", 0},
                    CharPosCase{"x", "abc", 0}, CharPosCase{"c", kKanji + "c", 2},
                    CharPosCase{"\\", kTrail5C, 0},         // only inside a character
                    CharPosCase{"\\", kTrail5C + "\\", 2},  // the later, real one
                    CharPosCase{"@", kEndsIn40 + "a@", 3}, CharPosCase{"abcd", "abc", 0},
                    CharPosCase{kKanji, "a" + kKanji, 2}));

struct TrimCase {
    QByteArray text;
    QByteArray trimmed;
};

class TrimWideTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimWideTest, RemovesBlanksAtBothEnds) {
    EXPECT_EQ(TrimWide(GetParam().text), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TrimWideTest,
    testing::Values(TrimCase{kWideBlank + " abc " + kWideBlank, "abc"},
                    TrimCase{kWideBlank + "\x91\xe6\x31\x8f\xcd" + " ", "\x91\xe6\x31\x8f\xcd"},
                    TrimCase{"\t\r\n x \x01", "x"}, TrimCase{kWideBlank + kWideBlank, ""},
                    TrimCase{"", ""}, TrimCase{"a b", "a b"},
                    TrimCase{"a" + kWideBlank + "b", "a" + kWideBlank + "b"},
                    // 0x81 0x40 here is a trail byte 0x81 followed by '@': nothing to remove.
                    TrimCase{"\x88\x81\x40", "\x88\x81\x40"}, TrimCase{kEndsIn40, kEndsIn40},
                    TrimCase{"x\x88", "x\x88"},  // a lone lead byte at the end stays
                    TrimCase{"x\x81", "x\x81"}));

TEST(ShiftJisTest, DecodesTheExtensionsAndShowsBadBytes) {
    const DecodedText clean = DecodeShiftJis(QByteArray("\x82\xa0\x87\x40\xed\x40\xfa\x40"));
    EXPECT_EQ(clean.text, QStringLiteral("あ①纊ⅰ"));
    EXPECT_FALSE(clean.hadErrors);

    struct Case {
        QByteArray bytes;
        QString text;
    };
    for (const Case& c : {Case{"a\xff"
                               "b",
                               QStringLiteral("a\uFFFDb")},
                          Case{"a\x85\x40", QStringLiteral("a\uFFFD")},
                          Case{"a\x82", QStringLiteral("a\uFFFD")},  // lead byte cut off
                          Case{"\x81\x20z", QStringLiteral("\uFFFD z")},
                          Case{"\x1a\xff", QStringLiteral("\x1a\uFFFD")}}) {
        const DecodedText decoded = DecodeShiftJis(c.bytes);
        EXPECT_EQ(decoded.text, c.text) << c.bytes.toHex().constData();
        EXPECT_TRUE(decoded.hadErrors);
    }
}

TEST(ShiftJisTest, EncodesAndMarksWhatHasNoForm) {
    const EncodedText clean = EncodeShiftJis(QStringLiteral("第1章①"));
    EXPECT_EQ(clean.bytes, QByteArray("\x91\xe6\x31\x8f\xcd\x87\x40"));
    EXPECT_FALSE(clean.hadErrors);
    EXPECT_EQ(FromShiftJis(clean.bytes), QStringLiteral("第1章①"));
    const EncodedText lossy = EncodeShiftJis(QStringLiteral("a€😀b"));
    EXPECT_EQ(lossy.bytes, "a??b");
    EXPECT_TRUE(lossy.hadErrors);
    // Control characters are themselves both ways (the codec alone would exchange some).
    const QByteArray controls("\x1a\x1c\x7f\x5c\x7e");
    EXPECT_EQ(FromShiftJis(controls), QString::fromLatin1(controls));
    EXPECT_EQ(ToShiftJis(QString::fromLatin1(controls)), controls);
}

TEST(MessagesTest, HandlersReceiveTextsAndAnswer) {
    QStringList shown;
    MessageHandlers previous = SetMessageHandlers({[&](const QString& text) { shown << text; },
                                                   [&](const QString& text) {
                                                       shown << text;
                                                       return text.startsWith('Y');
                                                   }});
    ShowInfo(QStringLiteral("情報"));
    EXPECT_TRUE(AskYesCancel("Yes?"));
    EXPECT_FALSE(AskYesCancel("No?"));
    EXPECT_EQ(shown, (QStringList{QStringLiteral("情報"), "Yes?", "No?"}));
    SetMessageHandlers(previous);
    // Unattended, a question is answered with Cancel.
    EXPECT_FALSE(AskYesCancel("Overwrite?"));
    EXPECT_FALSE(ShiftDown() || ControlDown() || AltDown());
}

}  // namespace
}  // namespace tavlex
