#include "model/DetailRecords.h"

#include "model/DecodingError.h"

#include <cstddef>
#include <cstdint>

// Any byte sequence either decodes or throws DecodingError; nothing else may happen.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        (void)decodeTorrentPeers(bytes);
    } catch (const DecodingError &) {
    }
    return 0;
}
