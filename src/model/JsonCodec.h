// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Records are described once, as a table of (JSON key, member) pairs; decoding and encoding
// both follow that table, so the two cannot drift apart. A record's table is found through an
// overload `const json::Fields<R> &jsonFields(const R *)` (see JsonRecords.h).
//
// Decoding an object iterates it once and looks each key up in a small hash table; the last
// occurrence of a duplicated key wins, unknown keys are skipped. Fields are then read in
// declaration order, so the reported failure does not depend on the order of the keys.

#include "Json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QList>

#include <algorithm>
#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace json {

// How one type is read and written:
//   static QString name();                        type name in error reports
//   static T decode(Element, const Path &);       null gives "value not found"
//   static QJsonValue encode(const T &);
//
// Writing goes through QJsonValue: integers stay int64, doubles come out in their shortest form
// that reads back exactly, objects with their keys sorted. Two doubles do not survive: -0 reads
// back as 0, and an integral value from 2^64 up to 1e21 is written as a plain integer that is
// too long for the decoder.
template <typename T> struct Codec;

template <> struct Codec<qint64>
{
    static QString name() { return QStringLiteral("Int64"); }
    static qint64 decode(Element v, const Path &p) { return toInt64(v, p); }
    static QJsonValue encode(qint64 v) { return QJsonValue(v); }
};

template <> struct Codec<double>
{
    static QString name() { return QStringLiteral("Double"); }
    static double decode(Element v, const Path &p) { return toDouble(v, p); }
    static QJsonValue encode(double v) { return QJsonValue(v); }
};

template <> struct Codec<QString>
{
    static QString name() { return QStringLiteral("String"); }
    static QString decode(Element v, const Path &p) { return toString(v, p); }
    static QJsonValue encode(const QString &v) { return QJsonValue(v); }
};

template <> struct Codec<bool>
{
    static QString name() { return QStringLiteral("Bool"); }
    static bool decode(Element v, const Path &p) { return toBool(v, p); }
    static QJsonValue encode(bool v) { return QJsonValue(v); }
};

// The object or array behind `value`, or the failure a value of another type deserves.
simdjson::dom::object objectOf(Element value, const Path &path, QString (*typeName)());
simdjson::dom::array arrayOf(Element value, const Path &path, QString (*typeName)());

// The items [0, count) of a big list or map read by two threads at once (see inHalves), each
// sharing the texts that repeat as the document's own thread does.
void decodeInHalves(size_t count, const std::function<void(size_t, size_t)> &work);

// The members of an object with duplicated keys folded: each key once, at the place of its
// first occurrence, holding the value of its last.
std::vector<std::pair<std::string_view, Element>> uniqueMembers(simdjson::dom::object object);

// The keys of the previous object of a list or map, with the field each one went to: a
// server writes every object of a list with the same keys in the same order, so most keys
// are found by comparing them with the key at the same place in the previous object.
struct KeyOrder
{
    static constexpr size_t kMaxRemembered = 96;
    std::array<std::string_view, kMaxRemembered> keys;
    std::array<qint8, kMaxRemembered> fields; // -1: not a field of the record
    size_t count = 0;
};

template <typename T> struct HasKeyOrder : std::false_type
{
};

// Reads one item of a list or map into `out`, in place; records use the list's key order.
template <typename T> void decodeItem(T &out, Element value, const Path &path, KeyOrder &order)
{
    if constexpr (HasKeyOrder<T>::value)
        Codec<T>::decodeInto(out, value, path, order);
    else
        out = Codec<T>::decode(value, path);
}

template <typename T> struct Codec<QList<T>>
{
    static QString name() { return QStringLiteral("Array<%1>").arg(Codec<T>::name()); }
    static QList<T> decode(Element value, const Path &path)
    {
        const simdjson::dom::array array = arrayOf(value, path, &name);
        QList<T> out;
        out.reserve(qsizetype(array.size()));
        KeyOrder order;
        qint64 index = 0;
        for (const Element item : array) {
            const Path itemPath = path.child(index++);
            decodeItem(out.emplace_back(), item, itemPath, order);
        }
        return out;
    }
    static QJsonValue encode(const QList<T> &list)
    {
        QJsonArray array;
        for (const T &item : list)
            array.append(Codec<T>::encode(item));
        return array;
    }
};

// A JSON object read as a map, kept in the document's order.
template <typename T> struct Codec<QList<std::pair<QString, T>>>
{
    static QString name() { return QStringLiteral("Dictionary<String, %1>").arg(Codec<T>::name()); }
    static QList<std::pair<QString, T>> decode(Element value, const Path &path)
    {
        const auto members = uniqueMembers(objectOf(value, path, &name));
        QList<std::pair<QString, T>> out(qsizetype(members.size()));
        std::pair<QString, T> *entries = out.data();
        const auto decodeRange = [&](size_t begin, size_t end) {
            KeyOrder order;
            for (size_t i = begin; i < end; ++i) {
                const auto &[key, item] = members[i];
                const Path itemPath = path.child(key);
                auto &entry = entries[i];
                entry.first = text(key);
                decodeItem(entry.second, item, itemPath, order);
            }
        };
        decodeInHalves(members.size(), decodeRange);
        return out;
    }
    static QJsonValue encode(const QList<std::pair<QString, T>> &map)
    {
        // QJsonObject keeps its keys sorted: inserted in that order, each one is appended
        // instead of moving the ones after it (quadratic for a map of many torrents).
        std::vector<const std::pair<QString, T> *> entries;
        entries.reserve(size_t(map.size()));
        for (const auto &entry : map)
            entries.push_back(&entry);
        // Stable: of a key given twice, the later value is inserted last and stays, as decoding
        // keeps the last value.
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto *a, const auto *b) { return a->first < b->first; });
        QJsonObject object;
        for (const auto *entry : entries)
            object.insert(entry->first, Codec<T>::encode(entry->second));
        return object;
    }
};

// Open-addressing table from a record's keys to their positions; built once per record type.
class KeyIndex
{
public:
    explicit KeyIndex(const std::vector<std::string_view> &keys);

    int find(std::string_view key) const noexcept
    {
        for (size_t slot = bytesHash(key) & m_mask;; slot = (slot + 1) & m_mask) {
            const int index = m_slots[slot];
            if (index < 0 || m_keys[size_t(index)] == key)
                return index;
        }
    }

private:
    std::vector<std::string_view> m_keys;
    std::vector<int> m_slots;
    size_t m_mask = 0;
};

template <typename R> struct Field
{
    std::string_view key;
    // `value` is null when the key is absent; `path` ends in the field's key.
    void (*read)(R &record, const Element *value, const Path &path);
    void (*write)(QJsonObject &object, std::string_view key, const R &record);
};

template <typename R> class Fields
{
public:
    static constexpr size_t kMaxFields = 32;

    Fields(const char *typeName, std::initializer_list<Field<R>> fields, void (*finish)(R &) = nullptr)
        : m_typeName(typeName), m_fields(fields), m_index(keysOf(m_fields)), m_finish(finish)
    {
        Q_ASSERT(m_fields.size() <= kMaxFields);
    }

    QString typeName() const { return QString::fromLatin1(m_typeName); }

    R decode(Element value, const Path &path) const
    {
        KeyOrder order;
        R record{};
        decodeInto(record, value, path, order);
        return record;
    }

    // Fills a default-constructed record; `order` carries the keys of the previous object.
    void decodeInto(R &record, Element value, const Path &path, KeyOrder &order) const
    {
        simdjson::dom::object object;
        if (value.get(object)) {
            if (isNull(value))
                throwValueNotFound(typeName(), path);
            throwTypeMismatch(typeName(), value, path);
        }
        std::array<Element, kMaxFields> found;
        quint32 present = 0;
        size_t place = 0;
        for (const auto member : object) {
            int index;
            if (place < order.count && order.keys[place] == member.key) {
                index = order.fields[place];
            } else {
                index = m_index.find(member.key);
                if (place < KeyOrder::kMaxRemembered) {
                    order.keys[place] = member.key;
                    order.fields[place] = qint8(index);
                    order.count = std::max(order.count, place + 1);
                }
            }
            ++place;
            if (index >= 0) {
                found[size_t(index)] = member.value;
                present |= quint32(1) << index;
            }
        }
        for (size_t i = 0; i < m_fields.size(); ++i) {
            const Path fieldPath = path.child(m_fields[i].key);
            m_fields[i].read(record, (present >> i) & 1 ? &found[i] : nullptr, fieldPath);
        }
        if (m_finish)
            m_finish(record);
    }

    QJsonObject encode(const R &record) const
    {
        QJsonObject object;
        for (const Field<R> &field : m_fields)
            field.write(object, field.key, record);
        return object;
    }

private:
    static std::vector<std::string_view> keysOf(const std::vector<Field<R>> &fields)
    {
        std::vector<std::string_view> keys;
        for (const Field<R> &field : fields)
            keys.push_back(field.key);
        return keys;
    }

    const char *m_typeName;
    std::vector<Field<R>> m_fields;
    KeyIndex m_index;
    void (*m_finish)(R &);
};

template <typename R>
concept Record = requires(const R *record)
{
    jsonFields(record);
};

template <Record R> struct HasKeyOrder<R> : std::true_type
{
};

template <Record R> struct Codec<R>
{
    static const Fields<R> &fields() { return jsonFields(static_cast<const R *>(nullptr)); }
    static QString name() { return fields().typeName(); }
    static R decode(Element v, const Path &p) { return fields().decode(v, p); }
    static void decodeInto(R &r, Element v, const Path &p, KeyOrder &order)
    {
        fields().decodeInto(r, v, p, order);
    }
    static QJsonValue encode(const R &r) { return fields().encode(r); }
};

template <typename T> inline constexpr bool isOptional = false;
template <typename T> inline constexpr bool isOptional<std::optional<T>> = true;

// The usual rule: a plain member is required (a missing key is "key not found"); an optional
// one is absent when its key is missing or null, and left out when written.
struct Strict
{
    template <typename T> static void read(T &out, const Element *value, const Path &path)
    {
        if constexpr (isOptional<T>)
            readWith(out, value, path, &Codec<typename T::value_type>::decode);
        else
            readWith(out, value, path, &Codec<T>::decode);
    }

    // The presence rules of read, with the value itself read by `decode`.
    template <typename T, typename Decode>
    static void readWith(T &out, const Element *value, const Path &path, Decode decode)
    {
        if constexpr (isOptional<T>) {
            if (!value || isNull(*value))
                out.reset();
            else
                out = decode(*value, path);
        } else {
            if (!value)
                throwKeyNotFound(path.key, *path.parent);
            out = decode(*value, path);
        }
    }

    template <typename T> static void write(QJsonObject &object, std::string_view key, const T &value)
    {
        const QLatin1StringView name(key.data(), qsizetype(key.size()));
        if constexpr (isOptional<T>) {
            if (value)
                object.insert(name, Codec<typename T::value_type>::encode(*value));
        } else {
            object.insert(name, Codec<T>::encode(value));
        }
    }
};

// Strict, for a text member whose values recur across the records of an answer: equal texts
// share one string (see sharedText).
struct Shared : Strict
{
    template <typename T> static void read(T &out, const Element *value, const Path &path)
    {
        static_assert(std::is_same_v<T, QString> || std::is_same_v<T, std::optional<QString>>);
        readWith(out, value, path, &toSharedString);
    }
};

template <typename M> struct MemberOf;
template <typename R, typename T> struct MemberOf<T R::*>
{
    using Record = R;
    using Type = T;
};

// field<&Record::member>("key"), optionally with a rule other than Strict.
template <auto Member, typename Rule = Strict>
Field<typename MemberOf<decltype(Member)>::Record> field(std::string_view key)
{
    using R = typename MemberOf<decltype(Member)>::Record;
    return {
        key,
        [](R &record, const Element *value, const Path &path) { Rule::read(record.*Member, value, path); },
        [](QJsonObject &object, std::string_view k, const R &record) {
            Rule::write(object, k, record.*Member);
        }};
}

// A whole document: the bytes must hold exactly one value of type T.
template <typename T> T decodeDocument(QByteArrayView bytes, bool padded = false)
{
    const Document document(bytes, padded);
    const Path root;
    return Codec<T>::decode(document.root(), root);
}

// The same, parsing `bytes` where they lie (grown by the parser's padding first) and letting
// go of them once parsed: the parsed document holds copies of all it needs, so a big answer's
// text and its decoded records are never in memory at once.
template <typename T> T decodeDocumentTaking(QByteArray &bytes)
{
    bytes.reserve(bytes.size() + qsizetype(simdjson::SIMDJSON_PADDING));
    const Document document(bytes, true);
    bytes = QByteArray();
    const Path root;
    return Codec<T>::decode(document.root(), root);
}

// Compact JSON of a record (an object) or a list (an array).
template <typename T> QByteArray encodeDocument(const T &value)
{
    const QJsonValue encoded = Codec<T>::encode(value);
    const QJsonDocument document =
        encoded.isArray() ? QJsonDocument(encoded.toArray()) : QJsonDocument(encoded.toObject());
    return document.toJson(QJsonDocument::Compact);
}

} // namespace json
