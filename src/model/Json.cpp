// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Json.h"
#include "Halves.h"
#include "JsonCodec.h"

#include <QThreadPool>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace json {

namespace {

using Type = simdjson::dom::element_type;

// Texts of the open documents of a thread; emptied when the last one closes. Entries own their
// bytes, so a document closing before another one cannot leave a dangling key.
class StringPool
{
public:
    static constexpr size_t kMaxEntries = 4096;
    static constexpr size_t kMaxLength = 256;

    QString get(std::string_view utf8)
    {
        if (utf8.size() > kMaxLength)
            return text(utf8);
        if (m_places.empty())
            m_places.assign(2 * kMaxEntries, kEmpty);
        const size_t hash = bytesHash(utf8);
        const size_t mask = m_places.size() - 1;
        size_t place = hash & mask;
        for (; m_places[place] != kEmpty; place = (place + 1) & mask) {
            const Entry &entry = m_entries[m_places[place]];
            if (entry.hash == hash && entry.bytes == utf8)
                return entry.text;
        }
        QString converted = text(utf8);
        if (m_entries.size() < kMaxEntries) {
            m_places[place] = quint32(m_entries.size());
            m_entries.push_back(Entry{hash, std::string(utf8), converted});
        }
        return converted;
    }

    void clear()
    {
        if (m_entries.empty())
            return;
        m_entries.clear();
        std::fill(m_places.begin(), m_places.end(), kEmpty);
    }

private:
    static constexpr quint32 kEmpty = ~quint32(0);
    struct Entry
    {
        size_t hash;
        std::string bytes;
        QString text;
    };
    std::vector<Entry> m_entries;
    std::vector<quint32> m_places; // at most half full
};

// The documents open on a thread; texts are pooled while one is, and forgotten with the last.
struct OpenDocuments
{
    int count = 0;
    StringPool pool;

    void enter() { ++count; }
    void leave()
    {
        if (--count == 0)
            pool.clear();
    }
};

OpenDocuments &openDocuments()
{
    thread_local OpenDocuments open;
    return open;
}

// The parser stays alive for the thread's lifetime, its buffers kept for the next document up to
// this size; `busy` marks it as holding a live document.
constexpr size_t keptParserCapacity = 16u << 20;

struct SharedParser
{
    simdjson::dom::parser parser;
    bool busy = false;
    std::thread warming; // faulting in the parser's buffers (ParserWarmUp)

    ~SharedParser() { waitForWarmUp(); }
    void waitForWarmUp()
    {
        if (warming.joinable())
            warming.join();
    }
    // Buffers sized for a big answer (a full sync of 100,000 torrents needs some 300 MB) go
    // back; the next big answer is rare and pays for its own. Unmapping them takes tens of
    // milliseconds, which the caller need not wait for: another thread does it.
    void releaseIfBig()
    {
        if (busy || parser.capacity() <= keptParserCapacity)
            return;
        waitForWarmUp();
        auto big = std::make_shared<simdjson::dom::parser>(std::exchange(parser, simdjson::dom::parser()));
        QThreadPool::globalInstance()->start([big = std::move(big)]() mutable { big.reset(); });
    }
};

SharedParser &sharedParser()
{
    thread_local SharedParser shared;
    return shared;
}

// Writes one byte of each page of the first `used` bytes of `buffer`.
void faultIn(void *buffer, size_t used)
{
    constexpr size_t page = 4096;
    auto *bytes = static_cast<volatile unsigned char *>(buffer);
    for (size_t at = 0; at < used; at += page)
        bytes[at] = 0;
}

QString describe(Element value)
{
    switch (value.type()) {
    case Type::ARRAY:
        return QStringLiteral("数组");
    case Type::OBJECT:
        return QStringLiteral("对象");
    case Type::INT64:
        return QStringLiteral("整数 %1").arg(qint64(int64_t(value)));
    case Type::UINT64:
        return QStringLiteral("超出 Int64 范围的整数 %1").arg(quint64(uint64_t(value)));
    case Type::DOUBLE:
        return QStringLiteral("数字 %1").arg(double(value), 0, 'g', 17);
    case Type::STRING:
        return QStringLiteral("字符串");
    case Type::BOOL:
        return QStringLiteral("布尔值");
    case Type::NULL_VALUE:
        return QStringLiteral("null");
    }
    return QStringLiteral("未知值");
}

QString parseFailure(simdjson::error_code error)
{
    switch (error) {
    case simdjson::EMPTY:
        return QStringLiteral("内容为空");
    case simdjson::UTF8_ERROR:
        return QStringLiteral("包含无效的 UTF-8");
    case simdjson::NUMBER_ERROR:
        return QStringLiteral("包含无法读取的数字");
    case simdjson::STRING_ERROR:
    case simdjson::UNESCAPED_CHARS:
    case simdjson::UNCLOSED_STRING:
        return QStringLiteral("包含无法读取的字符串");
    case simdjson::DEPTH_ERROR:
        return QStringLiteral("嵌套过深");
    case simdjson::CAPACITY:
    case simdjson::MEMALLOC:
        return QStringLiteral("内容过大");
    default:
        return QStringLiteral("不是完整的 JSON（%1）").arg(QString::fromUtf8(simdjson::error_message(error)));
    }
}

// Doubles of integral value inside the int64 range convert exactly ("1e3", "2.0"); 2^63 itself
// is the first value outside.
constexpr double kInt64Bound = 9223372036854775808.0;

std::optional<qint64> integral(double d) noexcept
{
    if (std::isfinite(d) && std::trunc(d) == d && d >= -kInt64Bound && d < kInt64Bound)
        return qint64(d);
    return std::nullopt;
}

} // namespace

QStringList Path::toList() const
{
    QStringList out;
    for (const Path *node = this; node && node->parent; node = node->parent) {
        if (node->index >= 0)
            out.prepend(QStringLiteral("Index %1").arg(node->index));
        else
            out.prepend(text(node->key));
    }
    return out;
}

Document::Document(QByteArrayView bytes, bool padded)
{
    // A byte order mark may precede UTF-8 JSON and carries no content.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    // An empty view may carry a null pointer, which must not reach memcpy.
    if (bytes.isEmpty())
        throwDataCorrupted(Path{}, QStringLiteral("数据不是有效的 JSON：内容为空"));
    SharedParser &shared = sharedParser();
    simdjson::dom::parser *parser = &shared.parser;
    shared.waitForWarmUp();
    if (shared.busy) {
        m_ownParser = std::make_unique<simdjson::dom::parser>();
        parser = m_ownParser.get();
    }
    const auto error = parser->parse(bytes.data(), size_t(bytes.size()), !padded).get(m_root);
    if (error)
        throwDataCorrupted(Path{}, QStringLiteral("数据不是有效的 JSON：%1").arg(parseFailure(error)));
    if (!m_ownParser) {
        shared.busy = true;
        m_usesShared = true;
    }
    openDocuments().enter();
}

Document::~Document()
{
    if (m_usesShared) {
        SharedParser &shared = sharedParser();
        shared.busy = false;
        shared.releaseIfBig();
    }
    openDocuments().leave();
}

ParserWarmUp::ParserWarmUp(size_t bytes)
{
    SharedParser &shared = sharedParser();
    // Below this the faults cost less than a thread; a parser kept from the last answer has
    // its pages already.
    constexpr size_t worthAThread = 4u << 20;
    simdjson::dom::parser &parser = shared.parser;
    if (bytes < worthAThread || shared.busy || shared.warming.joinable()
        || (parser.capacity() >= bytes && parser.doc.capacity() >= bytes))
        return;
    // The parser's own buffers and its document's, as the parse would allocate them.
    if (parser.allocate(bytes) != simdjson::SUCCESS || parser.doc.allocate(bytes) != simdjson::SUCCESS) {
        shared.parser = simdjson::dom::parser(); // the parse tries again, and reports it
        return;
    }
    // The share of each buffer a list of torrents uses per byte of JSON: tape, texts and
    // structural indexes take about 0.9, 0.9 and 0.7 when names are short, 0.7, 1.0 and 0.55 when
    // names and magnet links are long. The lower of each is faulted in: what is left the parse
    // faults in itself, while memory faulted in and never used would only add to the peak.
    std::array<std::pair<void *, size_t>, 3> parts{{
        {parser.doc.tape.get(), bytes / 10 * 7},
        {parser.doc.string_buf.get(), bytes / 10 * 9},
        {parser.implementation->structural_indexes.get(), bytes / 20 * 11},
    }};
    try {
        shared.warming = std::thread([parts] {
            for (const auto &[buffer, used] : parts)
                faultIn(buffer, used);
        });
    } catch (const std::system_error &) {
        // No thread to be had: the parse faults its pages in itself.
    }
}

ParserWarmUp::~ParserWarmUp()
{
    SharedParser &shared = sharedParser();
    shared.waitForWarmUp();
    shared.releaseIfBig();
}

void throwTypeMismatch(const QString &expectedType, Element found, const Path &path)
{
    throw DecodingError::typeMismatch(
        expectedType, path.toList(),
        QStringLiteral("期望 %1，但找到的是%2").arg(expectedType, describe(found)));
}

void throwValueNotFound(const QString &expectedType, const Path &path)
{
    throw DecodingError::valueNotFound(expectedType, path.toList(),
                                       QStringLiteral("期望 %1 值，但找到的是 null").arg(expectedType));
}

void throwKeyNotFound(std::string_view key, const Path &objectPath)
{
    throw DecodingError::keyNotFound(text(key), objectPath.toList(),
                                     QStringLiteral("缺少键 %1").arg(text(key)));
}

void throwDataCorrupted(const Path &path, const QString &description)
{
    throw DecodingError::dataCorrupted(path.toList(), description);
}

qint64 toInt64(Element value, const Path &path)
{
    switch (value.type()) {
    case Type::INT64:
        return qint64(int64_t(value));
    case Type::DOUBLE:
        if (const auto whole = integral(double(value)))
            return *whole;
        break;
    case Type::NULL_VALUE:
        throwValueNotFound(QStringLiteral("Int64"), path);
    default:
        break;
    }
    throwTypeMismatch(QStringLiteral("Int64"), value, path);
}

double toDouble(Element value, const Path &path)
{
    switch (value.type()) {
    case Type::INT64:
        return double(int64_t(value));
    case Type::UINT64:
        return double(uint64_t(value));
    case Type::DOUBLE:
        return double(value);
    case Type::NULL_VALUE:
        throwValueNotFound(QStringLiteral("Double"), path);
    default:
        throwTypeMismatch(QStringLiteral("Double"), value, path);
    }
}

namespace {

// The UTF-8 bytes of a string value, or the failure a value of another type deserves.
std::string_view stringBytes(Element value, const Path &path)
{
    std::string_view utf8;
    if (value.get(utf8)) {
        if (isNull(value))
            throwValueNotFound(QStringLiteral("String"), path);
        throwTypeMismatch(QStringLiteral("String"), value, path);
    }
    return utf8;
}

} // namespace

QString toString(Element value, const Path &path)
{
    return text(stringBytes(value, path));
}

bool toBool(Element value, const Path &path)
{
    bool flag = false;
    if (value.get(flag)) {
        if (isNull(value))
            throwValueNotFound(QStringLiteral("Bool"), path);
        throwTypeMismatch(QStringLiteral("Bool"), value, path);
    }
    return flag;
}

void decodeInHalves(size_t count, const std::function<void(size_t, size_t)> &work)
{
    // Below this, a thread costs more than it saves; a full answer of 100,000 torrents decodes
    // in about two thirds of the time on two cores.
    constexpr size_t worthAThread = 8192;
    inHalves(count, worthAThread, [&](size_t begin, size_t end) {
        if (begin == 0) {
            work(begin, end);
            return;
        }
        // On the other thread: texts read there are pooled as on this one while the document
        // is open.
        struct Open
        {
            Open() { openDocuments().enter(); }
            ~Open() { openDocuments().leave(); }
        } open;
        work(begin, end);
    });
}

QString sharedText(std::string_view utf8)
{
    OpenDocuments &open = openDocuments();
    if (open.count == 0)
        return text(utf8);
    return open.pool.get(utf8);
}

QString toSharedString(Element value, const Path &path)
{
    return sharedText(stringBytes(value, path));
}

std::optional<qint64> integerIfAny(Element value) noexcept
{
    switch (value.type()) {
    case Type::INT64:
        return qint64(int64_t(value));
    case Type::DOUBLE:
        return integral(double(value));
    default:
        return std::nullopt;
    }
}

std::optional<QString> stringIfAny(Element value)
{
    std::string_view utf8;
    if (value.get(utf8))
        return std::nullopt;
    return text(utf8);
}

} // namespace json
