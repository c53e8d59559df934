#pragma once
// Little-endian reads from a picture's bytes. Every read is checked against
// what remains; running off the end is the file's read error.

#include "platform/image/image_error.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstring>

namespace qb::image {

class ByteReader {
public:
    ByteReader(QByteArrayView data, const char* format) : data_(data), format_(format) {}

    size_t pos() const { return pos_; }
    size_t size() const { return static_cast<size_t>(data_.size()); }
    size_t remaining() const { return size() - pos_; }
    bool atEnd() const { return pos_ >= size(); }

    void need(size_t n) const
    {
        if (n > remaining())
            fail("the data ends early");
    }
    [[noreturn]] void fail(const char* problem) const
    {
        throw ImageError(QStringLiteral("%1 picture: %2 (at byte %3)")
                             .arg(QLatin1StringView(format_), QLatin1StringView(problem))
                             .arg(pos_));
    }

    void seek(size_t at)
    {
        if (at > size())
            fail("an offset points past the end");
        pos_ = at;
    }
    void skip(size_t n)
    {
        need(n);
        pos_ += n;
    }
    QByteArrayView bytes(size_t n)
    {
        need(n);
        QByteArrayView out = data_.sliced(static_cast<qsizetype>(pos_), static_cast<qsizetype>(n));
        pos_ += n;
        return out;
    }
    uint8_t u8()
    {
        need(1);
        return static_cast<uint8_t>(data_[static_cast<qsizetype>(pos_++)]);
    }
    uint16_t u16()
    {
        need(2);
        const auto* p = reinterpret_cast<const uint8_t*>(data_.data()) + pos_;
        pos_ += 2;
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    uint32_t u32()
    {
        need(4);
        const auto* p = reinterpret_cast<const uint8_t*>(data_.data()) + pos_;
        pos_ += 4;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    int32_t s32() { return static_cast<int32_t>(u32()); }
    float f32()
    {
        const uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }

private:
    QByteArrayView data_;
    const char* format_;
    size_t pos_ = 0;
};

} // namespace qb::image
