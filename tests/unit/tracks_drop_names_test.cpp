// Reading the names of a drop block (DROPFILES) in one walk, whole, and safely.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tracks/drop_names.h"

namespace {

constexpr uint32_t kHeaderSize = 20;

// A DROPFILES block: pFiles, pt (8 bytes), fNC, fWide, then the names.
std::vector<unsigned char> WideBlock(const std::vector<std::u16string>& names,
                                     uint32_t filesOffset = kHeaderSize) {
    std::vector<unsigned char> block(filesOffset, 0);
    std::memcpy(block.data(), &filesOffset, 4);
    const uint32_t wide = 1;
    std::memcpy(block.data() + 16, &wide, 4);
    for (const auto& name : names) {
        for (char16_t unit : name) {
            block.push_back(static_cast<unsigned char>(unit & 0xFF));
            block.push_back(static_cast<unsigned char>(unit >> 8));
        }
        block.push_back(0);
        block.push_back(0);
    }
    block.push_back(0);
    block.push_back(0);
    return block;
}

std::vector<unsigned char> AnsiBlock(const std::vector<std::string>& names) {
    std::vector<unsigned char> block(kHeaderSize, 0);
    block[0] = kHeaderSize;
    for (const auto& name : names) {
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

std::vector<std::u16string> Walk(const std::vector<unsigned char>& block) {
    std::vector<std::u16string> names;
    DropNameCursor cursor;
    if (!OpenDropBlock(block.data(), block.size(), cursor)) return {u"<not a drop block>"};
    const uint32_t counted = CountDroppedNames(cursor);
    WideString name;
    while (NextDroppedName(cursor, name)) names.emplace_back(name.Text());
    EXPECT_EQ(counted, names.size());
    return names;
}

TEST(DropNames, WideNamesComeInOrderDuplicatesIncluded) {
    const std::vector<std::u16string> names = {u"C:\\a.wav", u"C:\\b.flac", u"C:\\a.wav",
                                               u"C:\\Ordner", u"x"};
    EXPECT_EQ(Walk(WideBlock(names)), names);
}

TEST(DropNames, LongNamesArriveWhole) {
    std::u16string longName = u"C:\\";
    while (longName.size() < 1000) longName += u"Verzeichnis mit Überlänge\\";
    longName += u"Lied.wav";
    const std::vector<std::u16string> names = {longName, u"C:\\kurz.wav"};
    EXPECT_EQ(Walk(WideBlock(names)), names);
}

TEST(DropNames, NamesBehindALargerHeaderAreFound) {
    EXPECT_EQ(Walk(WideBlock({u"C:\\a.wav"}, 24)), std::vector<std::u16string>{u"C:\\a.wav"});
}

TEST(DropNames, AnsiNamesAreConvertedFromTheAnsiCodePage) {
    // Code page 1252 on both platforms here: 0xFC is 'ü'.
    const auto names = Walk(AnsiBlock({"C:\\M\xFCller.wav", "C:\\b.wav"}));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"C:\\Müller.wav", u"C:\\b.wav"}));
}

TEST(DropNames, AnEmptyListYieldsNoNames) {
    EXPECT_TRUE(Walk(WideBlock({})).empty());
}

TEST(DropNames, BlocksThatCannotBeDropBlocksAreRefused) {
    DropNameCursor cursor;
    auto good = WideBlock({u"C:\\a.wav"});
    EXPECT_FALSE(OpenDropBlock(nullptr, 100, cursor));
    EXPECT_FALSE(OpenDropBlock(good.data(), kHeaderSize - 1, cursor));
    auto outside = good;
    const uint32_t beyond = static_cast<uint32_t>(good.size());
    std::memcpy(outside.data(), &beyond, 4);
    EXPECT_FALSE(OpenDropBlock(outside.data(), outside.size(), cursor));
    auto inHeader = good;
    const uint32_t four = 4;
    std::memcpy(inHeader.data(), &four, 4);
    EXPECT_FALSE(OpenDropBlock(inHeader.data(), inHeader.size(), cursor));
    auto odd = WideBlock({u"C:\\a.wav"}, 21);
    EXPECT_FALSE(OpenDropBlock(odd.data(), odd.size(), cursor));
}

TEST(DropNames, TheWalkNeverReadsBeyondTheBlock) {
    // The list's end and the last name's terminator are cut off: that name is not taken.
    auto block = WideBlock({u"C:\\a.wav", u"C:\\b.wav"});
    block.resize(block.size() - 4);
    EXPECT_EQ(Walk(block), std::vector<std::u16string>{u"C:\\a.wav"});
    // An odd trailing byte is no unit.
    auto ragged = WideBlock({u"C:\\a.wav"});
    ragged.resize(ragged.size() - 3);
    EXPECT_TRUE(Walk(ragged).empty());
}

}  // namespace
