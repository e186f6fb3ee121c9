#include "model/SyncRecords.h"

#include "model/DecodingError.h"

#include <cstddef>
#include <cstdint>

// Any byte sequence either decodes or throws DecodingError; nothing else may happen.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const SyncData decoded = SyncData::fromJson(bytes);
        // What decodes must encode and decode back to the same value.
        if (!(SyncData::fromJson(decoded.toJson()) == decoded))
            __builtin_trap();
    } catch (const DecodingError &) {
    }
    return 0;
}
