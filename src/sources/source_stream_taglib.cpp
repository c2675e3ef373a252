// The stream TagLib reads a source through, and the file TagLib makes of it.
#include <taglib/fileref.h>
#include <taglib/tiostream.h>

#include <climits>

#include "foundation/narrow_string.h"
#include "sources/taglib_edge.h"

namespace {

// TagLib reads through this stream: a dropped file opened by OpenSourceFile (for reading only
// and shared; TagLib's own stream would first open it for writing, shared with no writer), or
// an image in memory, both with a file's rules for seeks and reads.
class ReadOnlyStream final : public TagLib::IOStream {
  public:
    ReadOnlyStream(const ByteSource& source, TagLib::FileName name)
        : source_(source),
          name_(name),
          // TagLib counts in long, 32 bits on Windows: a larger file is read in its first 2 GiB.
          size_(source.size > LONG_MAX ? LONG_MAX : static_cast<long>(source.size)) {}

    TagLib::FileName name() const override { return name_; }
    TagLib::ByteVector readBlock(unsigned long length) override {
        // A tag that claims more than the file holds gets what is there, not a huge buffer.
        const long left = position_ < size_ ? size_ - position_ : 0;
        if (length > static_cast<unsigned long>(left)) length = static_cast<unsigned long>(left);
        if (length == 0) return TagLib::ByteVector();
        TagLib::ByteVector block(static_cast<unsigned int>(length));
        const uint32_t read = source_.read(source_.context, static_cast<uint64_t>(position_),
                                           block.data(), static_cast<uint32_t>(length));
        block.resize(read);
        position_ += static_cast<long>(read);
        return block;
    }
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position from) override {
        const long long base = from == Beginning ? 0 : from == Current ? position_ : size_;
        const long long target = base + offset;
        // As a file does: no position before the start; past the end reads nothing.
        if (target >= 0 && target <= LONG_MAX) position_ = static_cast<long>(target);
    }
    long tell() const override { return position_; }
    long length() override { return size_; }
    void truncate(long) override {}

  private:
    ByteSource source_;
    TagLib::FileName name_;
    long size_;
    long position_ = 0;
};

}  // namespace

bool ReadWithTagLib(const ByteSource& source, const char16_t* name, bool properties,
                    void (*work)(TagLib::File& file, void* context), void* context) {
#ifdef _WIN32
    static_assert(sizeof(wchar_t) == 2);
    ReadOnlyStream stream(source, reinterpret_cast<const wchar_t*>(name));
#else
    const NarrowString narrow = WideString().AssignText(name).ToUtf8();
    ReadOnlyStream stream(source, narrow.Text());
#endif
    const TagLib::FileRef reference(&stream, properties, TagLib::AudioProperties::Fast);
    TagLib::File* file = reference.file();
    if (file == nullptr || !file->isValid()) return false;
    work(*file, context);
    return true;
}
