// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/DetailRecords.h"

#include "model/DecodingError.h"

#include <cstddef>
#include <cstdint>

// Any byte sequence either decodes or throws DecodingError; nothing else may happen.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        (void)decodeTorrentFiles(bytes);
    } catch (const DecodingError &) {
    }
    return 0;
}
