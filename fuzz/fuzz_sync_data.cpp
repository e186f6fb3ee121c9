// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/SyncRecords.h"

#include "model/DecodingError.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Encoded objects list their keys sorted, so the maps of a round trip compare in key order.
SyncData withSortedMaps(SyncData data)
{
    const auto byKey = [](const auto &a, const auto &b) { return a.first < b.first; };
    if (data.torrents)
        std::sort(data.torrents->begin(), data.torrents->end(), byKey);
    if (data.categories)
        std::sort(data.categories->begin(), data.categories->end(), byKey);
    return data;
}

} // namespace

// Any byte sequence either decodes or throws DecodingError; nothing else may happen.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const SyncData decoded = SyncData::fromJson(bytes);
        // What decodes must encode and decode back to the same value.
        if (!(withSortedMaps(SyncData::fromJson(decoded.toJson())) == withSortedMaps(decoded)))
            __builtin_trap();
    } catch (const DecodingError &) {
    }
    return 0;
}
