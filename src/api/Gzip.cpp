#include "Gzip.h"

#include "NetworkError.h"

#include <simdjson.h>
#include <zlib.h>

#include <algorithm>

bool isGzip(QByteArrayView bytes)
{
    return bytes.size() >= 2 && quint8(bytes[0]) == 0x1f && quint8(bytes[1]) == 0x8b;
}

QByteArray inflateGzip(QByteArrayView compressed, qint64 limit)
{
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        throw NetworkError::invalidResponse();
    struct End
    {
        z_stream &s;
        ~End() { inflateEnd(&s); }
    } end{stream};

    // The last four bytes tell the size of the (last) member modulo 4 GiB: a first guess only.
    qint64 guess = 0;
    if (compressed.size() >= 4) {
        const auto *tail = reinterpret_cast<const uchar *>(compressed.data() + compressed.size() - 4);
        guess = qint64(tail[0]) | qint64(tail[1]) << 8 | qint64(tail[2]) << 16 | qint64(tail[3]) << 24;
    }
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
