// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JsonCodec.h"

namespace json {

simdjson::dom::object objectOf(Element value, const Path &path, QString (*typeName)())
{
    simdjson::dom::object object;
    if (value.get(object)) {
        if (isNull(value))
            throwValueNotFound(typeName(), path);
        throwTypeMismatch(typeName(), value, path);
    }
    return object;
}

simdjson::dom::array arrayOf(Element value, const Path &path, QString (*typeName)())
{
    simdjson::dom::array array;
    if (value.get(array)) {
        if (isNull(value))
            throwValueNotFound(typeName(), path);
        throwTypeMismatch(typeName(), value, path);
    }
    return array;
}

std::vector<std::pair<std::string_view, Element>> uniqueMembers(simdjson::dom::object object)
{
    std::vector<std::pair<std::string_view, Element>> members;
    members.reserve(object.size());
    for (const auto member : object)
        members.emplace_back(member.key, member.value);
    if (members.size() < 2)
        return members;

    // Open addressing over the places of the kept members, at most half full; a hash match is
    // confirmed by comparing the whole key.
    size_t capacity = 4;
    while (capacity < members.size() * 2)
        capacity *= 2;
    const size_t mask = capacity - 1;
    constexpr quint32 kEmpty = ~quint32(0);
    std::vector<quint32> places(capacity, kEmpty);
    size_t kept = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        const std::string_view key = members[i].first;
        size_t slot = bytesHash(key) & mask;
        while (places[slot] != kEmpty && members[places[slot]].first != key)
            slot = (slot + 1) & mask;
        if (places[slot] == kEmpty) {
            places[slot] = quint32(kept);
            members[kept++] = members[i];
        } else {
            members[places[slot]].second = members[i].second;
        }
    }
    members.resize(kept);
    return members;
}

KeyIndex::KeyIndex(const std::vector<std::string_view> &keys) : m_keys(keys)
{
    // At most a quarter full, so a lookup of an unknown key (most keys of a server answer)
    // usually ends at its first empty slot.
    size_t size = 8;
    while (size < keys.size() * 4)
        size *= 2;
    m_slots.assign(size, -1);
    m_mask = size - 1;
    for (size_t i = 0; i < keys.size(); ++i) {
        size_t slot = bytesHash(keys[i]) & m_mask;
        while (m_slots[slot] >= 0)
            slot = (slot + 1) & m_mask;
        m_slots[slot] = int(i);
    }
}

} // namespace json
