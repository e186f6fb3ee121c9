// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The decoding layer under every record, on simdjson's DOM. Types are strict: a string is not
// a number, a fractional number is not an integer, an integer is a valid double; int64 values
// stay exact. Every failure is a DecodingError with its kind and the coding path.

#include "DecodingError.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <simdjson.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace json {

using Element = simdjson::dom::element;

// One step of the coding path: an object key or an array index. Steps live on the stack of the
// decoding functions, so a path costs nothing until an error turns it into text.
struct Path
{
    const Path *parent = nullptr;
    std::string_view key;
    qint64 index = -1;

    Path child(std::string_view childKey) const { return Path{this, childKey, -1}; }
    Path child(qint64 childIndex) const { return Path{this, {}, childIndex}; }
    // Keys as they are, array indexes as "Index 3"; the root contributes nothing.
    QStringList toList() const;
};

// A parsed document. The thread's parser is reused because its first parse of a large answer
// pays for allocation and page faults; a document opened while another one is still alive on
// the same thread gets a parser of its own, so the outer one stays valid.
class Document
{
public:
    // Throws DataCorrupted for bytes that are not one complete JSON value in valid UTF-8.
    // `padded`: at least simdjson::SIMDJSON_PADDING readable bytes follow `bytes` (spare capacity of the
    // array that holds them), so they are parsed where they are instead of copied first.
    explicit Document(QByteArrayView bytes, bool padded = false);
    ~Document();
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    Element root() const { return m_root; }

private:
    std::unique_ptr<simdjson::dom::parser> m_ownParser;
    bool m_usesShared = false;
    Element m_root;
};

// Readies this thread's parser for a document of about `bytes` bytes while the caller does
// something else first (inflates it): the parser's buffers are allocated at once and the part a
// document of that size uses is faulted in on a thread of its own. A full answer of 100,000
// torrents would otherwise fault in some 70,000 fresh pages one by one while it is parsed, about
// half of the parse. The next Document on this thread waits for that thread; a big parser
// still unused when this ends (the answer failed before it was parsed) is let go.
class ParserWarmUp
{
public:
    explicit ParserWarmUp(size_t bytes);
    ~ParserWarmUp();
    ParserWarmUp(const ParserWarmUp &) = delete;
    ParserWarmUp &operator=(const ParserWarmUp &) = delete;
};

[[noreturn]] void throwTypeMismatch(const QString &expectedType, Element found, const Path &path);
[[noreturn]] void throwValueNotFound(const QString &expectedType, const Path &path);
[[noreturn]] void throwKeyNotFound(std::string_view key, const Path &objectPath);
[[noreturn]] void throwDataCorrupted(const Path &path, const QString &description);

inline bool isNull(Element value)
{
    return value.type() == simdjson::dom::element_type::NULL_VALUE;
}

// Strict conversions; null gives "value not found", another JSON type "type mismatch".
qint64 toInt64(Element value, const Path &path);
double toDouble(Element value, const Path &path);
QString toString(Element value, const Path &path);
bool toBool(Element value, const Path &path);

// An integer (or integral number) that fits in int64, else nothing; for lenient fields.
std::optional<qint64> integerIfAny(Element value) noexcept;
// The text of a string, else nothing; for lenient fields.
std::optional<QString> stringIfAny(Element value);

// The one hash of the decoding's open-addressing tables (record keys, map keys, pooled texts);
// they compare the whole bytes on a match.
inline size_t bytesHash(std::string_view bytes) noexcept
{
    // Every byte counts: paths or names of one shape (same length, same beginning and end,
    // differing in the middle) are common and must not fall into one probe chain.
    constexpr quint64 kMultiplier = 0x9E3779B97F4A7C15ull;
    quint64 h = bytes.size() * kMultiplier;
    const char *p = bytes.data();
    size_t left = bytes.size();
    for (; left >= 8; p += 8, left -= 8) {
        quint64 chunk;
        std::memcpy(&chunk, p, sizeof chunk);
        h = (h ^ chunk) * kMultiplier;
        h ^= h >> 29;
    }
    if (left > 0) {
        quint64 chunk = 0;
        std::memcpy(&chunk, p, left);
        h = (h ^ chunk) * kMultiplier;
    }
    h ^= h >> 32;
    h *= 0x94D049BB133111EBull;
    return size_t(h ^ (h >> 31));
}

// The text of a value that recurs across the records of one answer (a state, a category, a
// save path): while a document is open, equal bytes give the same shared string, converted
// and allocated once. Values are pooled only up to a bound in length and count.
QString sharedText(std::string_view utf8);
QString toSharedString(Element value, const Path &path);

// QString::fromUtf8 drops a leading U+FEFF as if it were a byte order mark; inside a JSON
// document it is part of the text (a name, a hash key) and is kept.
inline QString text(std::string_view utf8)
{
    qsizetype marks = 0;
    while (utf8.size() >= 3 && utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        utf8.remove_prefix(3);
        ++marks;
    }
    QString result = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (marks > 0)
        result.prepend(QString(marks, QChar(0xFEFF)));
    return result;
}

} // namespace json
