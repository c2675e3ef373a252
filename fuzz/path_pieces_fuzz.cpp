// The tag suggestions of a path: drive, folders and the file name without its extension,
// then the file name's pieces at " - ", "-" and "_"; none empty, none twice, the path intact.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "launcher_decoder.h"
#include "tracks/path_pieces.h"

namespace {

constexpr const char* kTarget = "path_pieces";

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

// The offers in order: every piece of each split that is neither empty nor offered before.
std::vector<std::u16string> ExpectedOffers(const std::u16string& path) {
    std::vector<std::u16string> offers;
    const size_t backslash = path.rfind(u'\\');
    if (backslash == std::u16string::npos) return offers;
    std::u16string copy = path;
    const size_t dot = copy.rfind(u'.');
    if (dot != std::u16string::npos && dot > backslash) copy.resize(dot);
    const std::u16string fileName = copy.substr(backslash + 1);
    auto offer = [&](const std::u16string& text, const std::u16string& separator) {
        for (const std::u16string& piece : SplitPieces(text, separator)) {
            bool known = piece.empty();
            for (const std::u16string& offered : offers) known = known || offered == piece;
            if (!known) offers.push_back(piece);
        }
    };
    offer(copy, u"\\");
    offer(fileName, u" - ");
    offer(fileName, u"-");
    offer(fileName, u"_");
    return offers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string path = UpToNul(DecodeLenient(data, size));
    const std::u16string before = path;
    StringList pieces;
    CollectPathPieces(path.c_str(), pieces);
    auto where = [&] { return "path '" + Printable(path) + "'"; };
    FUZZ_CHECK(kTarget, path == before, where());

    const std::vector<std::u16string> expected = ExpectedOffers(path);
    FUZZ_CHECK(kTarget, pieces.Count() == expected.size(),
               where() + ": " + std::to_string(pieces.Count()) + " pieces, expected " +
                   std::to_string(expected.size()));
    for (uint32_t i = 0; i < pieces.Count(); ++i) {
        const std::u16string piece = Str(*pieces.GetAt(i));
        auto at = [&] {
            return where() + ", piece " + std::to_string(i) + " '" + Printable(piece) + "'";
        };
        FUZZ_CHECK(kTarget, piece == expected[i],
                   at() + ", expected '" + Printable(expected[i]) + "'");
        FUZZ_CHECK(kTarget, !piece.empty() && !IsBlank(piece.front()) && !IsBlank(piece.back()),
                   at());
        FUZZ_CHECK(kTarget, piece.find(u'\\') == std::u16string::npos, at());
        FUZZ_CHECK(kTarget, path.find(piece) != std::u16string::npos, at());
        for (uint32_t k = 0; k < i; ++k)
            FUZZ_CHECK(kTarget, Str(*pieces.GetAt(k)) != piece, at() + " offered twice");
    }

    // Calling again on a list that holds pieces starts from an empty list.
    CollectPathPieces(path.c_str(), pieces);
    FUZZ_CHECK(kTarget, pieces.Count() == expected.size(), where() + ", second call");
    return 0;
}
