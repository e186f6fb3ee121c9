#include "Json.h"

#include <cmath>

namespace json {

namespace {

using Type = simdjson::dom::element_type;

// The parser stays alive for the thread's lifetime; `busy` marks it as holding a live document.
struct SharedParser
{
    simdjson::dom::parser parser;
    bool busy = false;
};

SharedParser &sharedParser()
{
    thread_local SharedParser shared;
    return shared;
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

Document::Document(QByteArrayView bytes)
{
    // A byte order mark may precede UTF-8 JSON and carries no content.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    // An empty view may carry a null pointer, which must not reach memcpy.
    if (bytes.isEmpty())
        throwDataCorrupted(Path{}, QStringLiteral("数据不是有效的 JSON：内容为空"));
    SharedParser &shared = sharedParser();
    simdjson::dom::parser *parser = &shared.parser;
    if (shared.busy) {
        m_ownParser = std::make_unique<simdjson::dom::parser>();
        parser = m_ownParser.get();
    }
    const auto error = parser->parse(bytes.data(), size_t(bytes.size())).get(m_root);
    if (error)
        throwDataCorrupted(Path{}, QStringLiteral("数据不是有效的 JSON：%1").arg(parseFailure(error)));
    if (!m_ownParser) {
        shared.busy = true;
        m_usesShared = true;
    }
}

Document::~Document()
{
    if (m_usesShared)
        sharedParser().busy = false;
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

QString toString(Element value, const Path &path)
{
    std::string_view utf8;
    if (value.get(utf8)) {
        if (isNull(value))
            throwValueNotFound(QStringLiteral("String"), path);
        throwTypeMismatch(QStringLiteral("String"), value, path);
    }
    return text(utf8);
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
