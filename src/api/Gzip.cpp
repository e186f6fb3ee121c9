// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Gzip.h"

#include "NetworkError.h"

#include <libdeflate.h>
#include <simdjson.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <optional>

bool isGzip(QByteArrayView bytes)
{
    return bytes.size() >= 2 && quint8(bytes[0]) == 0x1f && quint8(bytes[1]) == 0x8b;
}

namespace {

// The size the last four bytes tell: of the (last) member, modulo 4 GiB.
qint64 trailerSize(QByteArrayView compressed)
{
    if (compressed.size() < 18) // header and trailer of an empty member
        return -1;
    const auto *tail = reinterpret_cast<const uchar *>(compressed.data() + compressed.size() - 4);
    return qint64(tail[0]) | qint64(tail[1]) << 8 | qint64(tail[2]) << 16 | qint64(tail[3]) << 24;
}

// One member whose trailer tells its size, inflated at once into a buffer of that size: about
// twice as fast as zlib's stream, and a big answer is one. Empty when the bytes are not exactly
// such a member (several members, a size that lies); the stream takes over then.
std::optional<QByteArray> inflateWhole(QByteArrayView compressed, qint64 size)
{
    struct Free
    {
        void operator()(libdeflate_decompressor *d) const { libdeflate_free_decompressor(d); }
    };
    thread_local std::unique_ptr<libdeflate_decompressor, Free> decompressor{libdeflate_alloc_decompressor()};
    if (!decompressor)
        return std::nullopt;
    // Room for the padding first: reserved after, it would copy every byte to a new block.
    QByteArray out;
    out.reserve(size + qsizetype(simdjson::SIMDJSON_PADDING));
    out.resize(size);
    size_t in = 0;
    size_t written = 0;
    const auto result = libdeflate_gzip_decompress_ex(decompressor.get(), compressed.data(), size_t(compressed.size()),
                                                      out.data(), size_t(size), &in, &written);
    if (result != LIBDEFLATE_SUCCESS || in != size_t(compressed.size()) || written != size_t(size))
        return std::nullopt;
    return out;
}

} // namespace

qint64 inflatedSizeHint(QByteArrayView compressed)
{
    const qint64 size = isGzip(compressed) ? trailerSize(compressed) : -1;
    return size >= 0 && size / 64 <= compressed.size() ? size : 0;
}

QByteArray inflateGzip(QByteArrayView compressed, qint64 limit)
{
    // A stream cut short has no trailer: what is read as one may say anything, so a size past
    // the bound is left to the stream too, which tells the two apart.
    const qint64 size = trailerSize(compressed);
    if (size >= 0 && size <= limit) {
        if (std::optional<QByteArray> whole = inflateWhole(compressed, size))
            return *std::move(whole);
    }

    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        throw NetworkError::invalidResponse();
    struct End
    {
        z_stream &s;
        ~End() { inflateEnd(&s); }
    } end{stream};

    // The trailer's size is a first guess only here.
    const qint64 guess = std::max<qint64>(size, 0);
    const qint64 padding = qint64(simdjson::SIMDJSON_PADDING);
    QByteArray out;
    out.resize(std::clamp<qint64>(guess, 64 * 1024, std::min<qint64>(limit, 1LL << 30)));

    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.data()));
    stream.avail_in = uInt(compressed.size());
    qint64 written = 0;
    for (;;) {
        if (written == out.size()) {
            if (written >= limit)
                throw NetworkError::responseTooLarge(limit);
            out.resize(std::min<qint64>(limit, written * 2));
        }
        const qint64 room = std::min<qint64>(out.size() - written, 1LL << 30);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + written);
        stream.avail_out = uInt(room);
        const int result = inflate(&stream, Z_NO_FLUSH);
        written += room - stream.avail_out;
        if (result == Z_STREAM_END) {
            if (stream.avail_in == 0)
                break;
            // Another member follows.
            if (inflateReset(&stream) != Z_OK)
                throw NetworkError::invalidResponse();
            continue;
        }
        if (result == Z_BUF_ERROR && stream.avail_in == 0)
            throw NetworkError::invalidResponse(); // cut short
        if (result != Z_OK && result != Z_BUF_ERROR)
            throw NetworkError::invalidResponse();
    }
    out.resize(written);
    out.reserve(written + padding);
    return out;
}
