// Cutting a path into the pieces that the "<" buttons of the tag fields offer.
#include "tracks/path_pieces.h"

namespace {

bool IsOffered(const StringList& pieces, const WideString& piece) {
    for (uint32_t i = 0; i < pieces.Count(); ++i) {
        if (CompareText(pieces.GetAt(i)->Text(), piece.Text()) == 0) return true;
    }
    return false;
}

void Offer(StringList& pieces, const WideString& piece) {
    if (piece.IsEmpty() || IsOffered(pieces, piece)) return;
    pieces.AddPiece(piece.Text(), piece.Length());
}

void OfferSplit(StringList& pieces, const char16_t* text, const char16_t* separator) {
    StringList split;
    split.Split(text, separator);
    for (uint32_t i = 0; i < split.Count(); ++i) Offer(pieces, *split.GetAt(i));
}

}  // namespace

void CollectPathPieces(const char16_t* path, StringList& pieces) {
    pieces.DeleteAll();
    WideString copy;
    copy.AssignText(path);
    if (copy.IsEmpty()) return;

    // The extension goes; a dot inside a folder name does not count.
    const int32_t lastDot = copy.FindLastChar(u'.');
    const int32_t lastBackslash = copy.FindLastChar(u'\\');
    if (lastDot >= 0 && lastDot > lastBackslash) copy.Truncate(static_cast<uint32_t>(lastDot));
    if (lastBackslash < 0) return;

    OfferSplit(pieces, copy.Text(), u"\\");
    const char16_t* fileName = copy.Text() + lastBackslash + 1;
    OfferSplit(pieces, fileName, u" - ");
    OfferSplit(pieces, fileName, u"-");
    OfferSplit(pieces, fileName, u"_");
}
