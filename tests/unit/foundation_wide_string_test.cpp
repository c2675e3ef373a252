// WideString: sizing, sharing, copy on write and the text operations.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/narrow_string.h"
#include "foundation/wide_string.h"

namespace {

std::u16string TextOf(const WideString& s) {
    return s.Text();
}

int32_t CountOf(const WideString& s) {
    return s.Record() ? s.Record()->referenceCount : 0;
}

TEST(WideString, DefaultIsNullAndReadsTheSharedEmptyText) {
    WideString s;
    EXPECT_EQ(s.Record(), nullptr);
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Text(), kEmptyText);
    s.Clear();
    EXPECT_EQ(s.Record(), nullptr);
}

TEST(WideString, EveryEmptyShapeReadsAlike) {
    WideString prepared;
    ASSERT_TRUE(prepared.PrepareBuffer(10));
    EXPECT_NE(prepared.Record(), nullptr);
    EXPECT_TRUE(prepared.IsEmpty());
    EXPECT_EQ(prepared.Text(), kEmptyText);
    EXPECT_EQ(prepared.Length(), 0u);
    EXPECT_EQ(CompareText(prepared.Text(), WideString().Text()), 0);
}

TEST(WideString, PrepareBufferSizesAs8kPlus7) {
    const struct {
        uint32_t units;
        uint32_t capacity;
    } rows[] = {{0, 7}, {6, 7}, {7, 15}, {14, 15}, {15, 23}, {1631, 1639}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.units);
        WideString s;
        ASSERT_TRUE(s.PrepareBuffer(row.units));
        EXPECT_EQ(s.Capacity(), row.capacity);
        EXPECT_EQ(CountOf(s), 1);
        EXPECT_EQ(s.Buffer()[0], 0);
    }
}

TEST(WideString, ReserveReusesABlockOnlyAboveFourFifths) {
    // A reused block keeps its capacity; a new one is sized to the need.
    const struct {
        uint32_t first, second;
        uint32_t capacity;
    } rows[] = {
        {54, 39, 55},  // need 47, above 40 of 55: reused
        {54, 38, 39},  // need 39: 40 < 39 fails
        {22, 16, 23},  // need 23 of 23
        {22, 12, 15},  // need 15: 16 < 15 fails
        {14, 5, 7},    // need 7: 8 < 7 fails
        {14, 20, 23},  // larger than the block
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.first << " then " << row.second);
        WideString s;
        ASSERT_TRUE(s.PrepareBuffer(row.first));
        s.Buffer()[0] = u'x';
        s.Buffer()[1] = 0;
        ASSERT_TRUE(s.PrepareBuffer(row.second));
        EXPECT_EQ(s.Capacity(), row.capacity);
        EXPECT_EQ(s.Record()->referenceCount, 1);
        EXPECT_TRUE(s.IsEmpty());  // the old text is discarded
    }
}

TEST(WideString, CopySharesTheRecordWithoutCopyingCharacters) {
    WideString a;
    a.AssignText(u"abc");
    WideString b(a);
    WideString c;
    c = b;
    EXPECT_EQ(a.Record(), b.Record());
    EXPECT_EQ(a.Record(), c.Record());
    EXPECT_EQ(CountOf(a), 3);
    c.Clear();
    b.Assign(&b);
    EXPECT_EQ(CountOf(a), 2);
    b.Assign(nullptr);
    EXPECT_EQ(b.Record(), nullptr);
    EXPECT_EQ(CountOf(a), 1);
}

TEST(WideString, AssignSharesEvenAnAllocatedEmptyRecord) {
    WideString a;
    ASSERT_TRUE(a.PrepareBuffer(3));
    WideString b;
    b.Assign(a);
    EXPECT_EQ(b.Record(), a.Record());
    EXPECT_EQ(CountOf(a), 2);
}

TEST(WideString, AssignTextTakesTheSmallerOfCountAndLength) {
    const struct {
        const char16_t* text;
        uint32_t count;
        const char16_t* expected;
        bool hasRecord;
    } rows[] = {
        {nullptr, 5, u"", false}, {u"", 5, u"", false},
        {u"abc", 0, u"", false},  {u"abcdef", 3, u"abc", true},
        {u"ab", 10, u"ab", true}, {u"abcdef", 0xFFFFFFFFu, u"abcdef", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.count);
        WideString s;
        s.AssignText(u"old text");
        s.AssignText(row.text, row.count);
        EXPECT_EQ(TextOf(s), row.expected);
        EXPECT_EQ(s.Record() != nullptr, row.hasRecord);
    }
}

TEST(WideString, AssignTextFromItsOwnBlockIsSafe) {
    WideString s;
    s.AssignText(u"C:\\Musik\\Lied.wav");
    s.AssignText(s.Text() + 3, 5);
    EXPECT_EQ(TextOf(s), u"Musik");
}

TEST(WideString, TruncateOnASharedStringChangesOnlyThatString) {
    WideString a;
    a.AssignText(u"C:\\Musik\\Lied.wav");
    const WideStringRecord* aRecord = a.Record();
    WideString b(a);
    b.Truncate(static_cast<uint32_t>(b.FindLastChar(u'\\')));
    EXPECT_EQ(TextOf(b), u"C:\\Musik");
    EXPECT_EQ(TextOf(a), u"C:\\Musik\\Lied.wav");
    EXPECT_EQ(a.Record(), aRecord);
    EXPECT_NE(b.Record(), aRecord);
    EXPECT_EQ(CountOf(a), 1);
    EXPECT_EQ(CountOf(b), 1);
    EXPECT_EQ(b.Capacity(), a.Capacity());  // the copy takes the whole block
}

TEST(WideString, TruncateBeyondTheCapacityDoesNothing) {
    for (uint32_t n : {0xFFFFFFFFu, 23u, 100u}) {
        SCOPED_TRACE(n);
        WideString a;
        a.AssignText(u"0123456789abcdef");  // capacity 23
        WideString b(a);
        b.Truncate(n);
        EXPECT_EQ(TextOf(b), u"0123456789abcdef");
        EXPECT_EQ(b.Record(), a.Record());  // not even made unique
    }
    WideString s;
    s.AssignText(u"abc");
    s.Truncate(5);  // between length and capacity
    EXPECT_EQ(TextOf(s), u"abc");
    s.Truncate(0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_NE(s.Record(), nullptr);
    WideString none;
    none.Truncate(0);
    EXPECT_EQ(none.Record(), nullptr);
}

TEST(WideString, PrepareBufferOnASharedStringLeavesTheOtherIntact) {
    WideString a;
    a.AssignText(u"keep me");
    WideString b(a);
    ASSERT_TRUE(b.PrepareBuffer(7));
    EXPECT_NE(b.Record(), a.Record());
    EXPECT_EQ(TextOf(a), u"keep me");
    EXPECT_EQ(CountOf(a), 1);
    EXPECT_TRUE(b.IsEmpty());
}

TEST(WideString, AppendBuildsANewBlockOfExactSize) {
    WideString s;
    s.AssignText(u"abc");  // capacity 7, room for "abcd"
    const WideStringRecord* old = s.Record();
    WideString other(s);
    s.Append(u"d");
    EXPECT_EQ(TextOf(s), u"abcd");
    EXPECT_NE(s.Record(), old);
    EXPECT_EQ(TextOf(other), u"abc");
    s.Append(u"efghijklmnop");  // 16 units
    EXPECT_EQ(s.Capacity(), 23u);
}

TEST(WideString, AppendOfNothingKeepsTheRecord) {
    WideString s;
    s.AssignText(u"abc");
    const WideStringRecord* old = s.Record();
    s.Append(u"");
    s.Append(static_cast<const char16_t*>(nullptr));
    s.Append(WideString());
    EXPECT_EQ(s.Record(), old);
    EXPECT_EQ(TextOf(s), u"abc");
}

TEST(WideString, AppendToItselfDoubles) {
    WideString s;
    s.AssignText(u"ab");
    s.Append(s);
    EXPECT_EQ(TextOf(s), u"abab");
    s.Append(s.Text() + 1);
    EXPECT_EQ(TextOf(s), u"ababbab");
}

TEST(WideString, AppendToAnEmptyStringSharesTheOther) {
    WideString other;
    other.AssignText(u"xyz");
    WideString null;
    null.Append(other);
    EXPECT_EQ(null.Record(), other.Record());
    WideString prepared;
    ASSERT_TRUE(prepared.PrepareBuffer(4));
    prepared.Append(other);
    EXPECT_EQ(prepared.Record(), other.Record());
    EXPECT_EQ(CountOf(other), 3);
    WideString text;
    text.Append(u"new");
    EXPECT_EQ(TextOf(text), u"new");
    EXPECT_EQ(text.Capacity(), 7u);
}

TEST(WideString, PrependPutsTheTextInFront) {
    WideString s;
    s.Prepend(u"tail");
    EXPECT_EQ(TextOf(s), u"tail");
    WideString shared(s);
    s.Prepend(u"head ");
    EXPECT_EQ(TextOf(s), u"head tail");
    EXPECT_EQ(TextOf(shared), u"tail");
    const WideStringRecord* old = s.Record();
    s.Prepend(u"");
    EXPECT_EQ(s.Record(), old);
}

TEST(WideString, ReplaceAllTakesMatchesLeftToRightWithoutOverlap) {
    const struct {
        const char16_t* text;
        const char16_t* find;
        const char16_t* replacement;
        const char16_t* expected;
    } rows[] = {
        {u"aaaa", u"aa", u"x", u"xx"},
        {u"aaa", u"aa", u"b", u"ba"},
        {u"a\\b\\\\c", u"\\", u"\\\\", u"a\\\\b\\\\\\\\c"},  // each backslash once
        {u"x-y-z", u"-", u"", u"xyz"},
        {u"%a%b%a%", u"%a%", u"<long>", u"<long>b<long>"},
        {u"ab", u"ab", u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        WideString s;
        s.AssignText(row.text);
        WideString result = s.ReplaceAll(row.find, row.replacement);
        EXPECT_EQ(TextOf(result), row.expected);
        EXPECT_EQ(TextOf(s), row.text);
        // One block of the exact final size.
        EXPECT_EQ(result.Capacity(), (TextLength(row.expected) + 1) | 7u);
    }
}

TEST(WideString, ReplaceAllWithoutWorkSharesTheSource) {
    WideString s;
    s.AssignText(u"abc");
    const struct {
        const char16_t* find;
        const char16_t* replacement;
    } rows[] = {{u"zz", u"y"}, {u"", u"y"}, {nullptr, u"y"}, {u"b", nullptr}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        WideString result = s.ReplaceAll(row.find, row.replacement);
        EXPECT_EQ(result.Record(), s.Record());
    }
    EXPECT_EQ(WideString().ReplaceAll(u"a", u"b").Record(), nullptr);
}

TEST(WideString, TrimRightCutsTrailingBlanksOnlyAndCopiesOnWrite) {
    WideString a;
    a.AssignText(u" \tab \t ");
    WideString b(a);
    b.TrimRight();
    EXPECT_EQ(TextOf(b), u" \tab");
    EXPECT_EQ(TextOf(a), u" \tab \t ");
    WideString c;
    c.AssignText(u"ab\n");
    WideString d(c);
    d.TrimRight();
    EXPECT_EQ(d.Record(), c.Record());  // nothing to cut: still shared
    WideString blanks;
    blanks.AssignText(u"  ");
    blanks.TrimRight();
    EXPECT_TRUE(blanks.IsEmpty());
}

TEST(WideString, FindLastChar) {
    const struct {
        const char16_t* text;
        char16_t unit;
        int32_t expected;
    } rows[] = {
        {u"", u'a', -1}, {u"", 0, 0}, {u"abc", 0, 3}, {u"a.b.c", u'.', 3}, {u"abc", u'x', -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "row " << (&row - rows));
        WideString s;
        s.AssignText(row.text);
        EXPECT_EQ(s.FindLastChar(row.unit), row.expected);
        const char16_t* pointer = s.FindLastCharPointer(row.unit);
        EXPECT_EQ(pointer ? pointer - s.Text() : -1, row.expected);
    }
}

// The shape that a failed PrepareBuffer leaves behind: a record without a characters block.
// A size beyond any block makes it without an allocator hook.
bool MakeRecordWithoutCharacters(WideString& s) {
    return !s.PrepareBuffer(0xFFFFFFFFu) && s.Record() && !s.Record()->characters &&
           s.Capacity() == 0 && CountOf(s) == 1;
}

TEST(WideString, RecordWithoutCharactersIsEmptyTextToEveryOperation) {
    WideString s;
    ASSERT_TRUE(MakeRecordWithoutCharacters(s));
    EXPECT_EQ(s.Text(), kEmptyText);
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_TRUE(s.IsEmpty());
    for (char16_t unit : {u'a', u'\\', char16_t(0)}) {
        SCOPED_TRACE(static_cast<int>(unit));
        EXPECT_EQ(s.FindLastCharPointer(unit), nullptr);
        EXPECT_EQ(s.FindLastChar(unit), unit ? -1 : 0);
    }

    // What each operation leaves in such a string.
    enum class After { kUntouched, kOwnBlock, kSharesOther, kNull };
    WideString other;
    other.AssignText(u"xyz");
    const struct {
        const char* name;
        std::function<void(WideString&)> operation;
        const char16_t* text;
        uint32_t capacity;
        After after;
    } rows[] = {
        {"Truncate(0)", [](WideString& w) { w.Truncate(0); }, u"", 0, After::kUntouched},
        {"Truncate(-1)", [](WideString& w) { w.Truncate(0xFFFFFFFFu); }, u"", 0, After::kUntouched},
        {"TrimRight", [](WideString& w) { w.TrimRight(); }, u"", 0, After::kUntouched},
        {"MakeUnique of a unique record", [](WideString& w) { w.MakeUnique(); }, u"", 0,
         After::kUntouched},
        {"Append(text)", [](WideString& w) { w.Append(u"ab"); }, u"ab", 7, After::kOwnBlock},
        {"Append(empty text)", [](WideString& w) { w.Append(u""); }, u"", 0, After::kUntouched},
        {"Append(string)", [&](WideString& w) { w.Append(other); }, u"xyz", 7, After::kSharesOther},
        {"Append(null string)", [](WideString& w) { w.Append(WideString()); }, u"", 0,
         After::kNull},
        {"Prepend(text)", [](WideString& w) { w.Prepend(u"ab"); }, u"ab", 7, After::kOwnBlock},
        {"Prepend(empty text)", [](WideString& w) { w.Prepend(u""); }, u"", 0, After::kUntouched},
        {"AssignText(text)", [](WideString& w) { w.AssignText(u"abcdefgh"); }, u"abcdefgh", 15,
         After::kOwnBlock},
        {"AssignText(empty text)", [](WideString& w) { w.AssignText(u""); }, u"", 0, After::kNull},
        {"AssignAnsi(text)", [](WideString& w) { w.AssignAnsi("abc"); }, u"abc", 7,
         After::kOwnBlock},
        {"AssignAnsi(empty text)", [](WideString& w) { w.AssignAnsi(""); }, u"", 7,
         After::kOwnBlock},
        {"PrepareBuffer(10)", [](WideString& w) { ASSERT_TRUE(w.PrepareBuffer(10)); }, u"", 15,
         After::kOwnBlock},
        {"Format", [](WideString& w) { w.Format(u"%d", 5); }, u"5", 7, After::kOwnBlock},
        {"Clear", [](WideString& w) { w.Clear(); }, u"", 0, After::kNull},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WideString w;
        ASSERT_TRUE(MakeRecordWithoutCharacters(w));
        const WideStringRecord* before = w.Record();
        row.operation(w);
        EXPECT_EQ(TextOf(w), row.text);
        EXPECT_EQ(w.Capacity(), row.capacity);
        switch (row.after) {
            case After::kUntouched:
                EXPECT_EQ(w.Record(), before);
                EXPECT_EQ(w.Record()->characters, nullptr);
                EXPECT_EQ(CountOf(w), 1);
                break;
            case After::kOwnBlock:
                ASSERT_NE(w.Record(), nullptr);
                EXPECT_NE(w.Record()->characters, nullptr);
                EXPECT_EQ(CountOf(w), 1);
                break;
            case After::kSharesOther:
                EXPECT_EQ(w.Record(), other.Record());
                EXPECT_EQ(CountOf(other), 2);
                break;
            case After::kNull:
                EXPECT_EQ(w.Record(), nullptr);
                break;
        }
    }

    // ReplaceAll finds nothing to replace and hands back the source's record.
    const struct {
        const char16_t* find;
        const char16_t* replacement;
    } replacements[] = {{u"a", u"b"}, {u"", u"b"}, {nullptr, u"b"}, {u"a", nullptr}};
    for (const auto& row : replacements) {
        SCOPED_TRACE(::testing::Message() << "ReplaceAll row " << (&row - replacements));
        WideString result = s.ReplaceAll(row.find, row.replacement);
        EXPECT_EQ(result.Record(), s.Record());
        EXPECT_EQ(CountOf(s), 2);
    }

    // ToUtf8 gives an allocated empty narrow string and leaves the source as it was.
    const NarrowString utf8 = s.ToUtf8();
    EXPECT_NE(utf8.Record(), nullptr);
    EXPECT_EQ(utf8.Length(), 0u);
    EXPECT_EQ(utf8.Capacity(), 7u);
    EXPECT_EQ(s.Record()->characters, nullptr);
    EXPECT_EQ(CountOf(s), 1);
}

TEST(WideString, WriterOnASharedRecordWithoutCharactersLeavesTheOtherHolderAlone) {
    const struct {
        const char* name;
        std::function<void(WideString&)> operation;
        const char16_t* text;
        uint32_t capacity;
    } rows[] = {
        // The copy takes all capacity units of the shared block, which are none: a block of 7.
        {"MakeUnique", [](WideString& w) { w.MakeUnique(); }, u"", 7},
        {"PrepareBuffer(3)", [](WideString& w) { ASSERT_TRUE(w.PrepareBuffer(3)); }, u"", 7},
        {"Append(text)", [](WideString& w) { w.Append(u"ab"); }, u"ab", 7},
        {"Prepend(text)", [](WideString& w) { w.Prepend(u"ab"); }, u"ab", 7},
        {"AssignText(text)", [](WideString& w) { w.AssignText(u"ab"); }, u"ab", 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WideString original;
        ASSERT_TRUE(MakeRecordWithoutCharacters(original));
        WideString copy(original);
        // Nothing to cut: Truncate and TrimRight keep sharing.
        copy.Truncate(0);
        copy.TrimRight();
        ASSERT_EQ(copy.Record(), original.Record());
        ASSERT_EQ(CountOf(original), 2);

        row.operation(copy);
        EXPECT_NE(copy.Record(), original.Record());
        EXPECT_EQ(TextOf(copy), row.text);
        EXPECT_EQ(copy.Capacity(), row.capacity);
        EXPECT_EQ(CountOf(copy), 1);
        EXPECT_EQ(CountOf(original), 1);
        EXPECT_EQ(original.Record()->characters, nullptr);
        EXPECT_TRUE(original.IsEmpty());
    }
}

}  // namespace
