#include "JsonWriter.h"

#include <QLocale>

#include <cmath>

namespace json {

void Writer::separate()
{
    if (m_needComma)
        m_out += ',';
    m_needComma = true;
}

void Writer::beginObject()
{
    separate();
    m_out += '{';
    m_needComma = false;
}

void Writer::endObject()
{
    m_out += '}';
    m_needComma = true;
}

void Writer::beginArray()
{
    separate();
    m_out += '[';
    m_needComma = false;
}

void Writer::endArray()
{
    m_out += ']';
    m_needComma = true;
}

void Writer::key(std::string_view utf8)
{
    separate();
    quoted(utf8);
    m_out += ':';
    m_needComma = false;
}

void Writer::key(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    key(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void Writer::value(qint64 number)
{
    separate();
    m_out += QByteArray::number(number);
}

void Writer::value(double number)
{
    if (!std::isfinite(number)) {
        null();
        return;
    }
    separate();
    m_out += QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
}

void Writer::value(bool flag)
{
    separate();
    m_out += flag ? "true" : "false";
}

void Writer::value(const QString &text)
{
    separate();
    const QByteArray utf8 = text.toUtf8();
    quoted(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void Writer::null()
{
    separate();
    m_out += "null";
}

void Writer::quoted(std::string_view utf8)
{
    static constexpr char hex[] = "0123456789abcdef";
    m_out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            m_out += '\\';
            m_out += c;
        } else if (byte < 0x20) {
            m_out += "\\u00";
            m_out += hex[byte >> 4];
            m_out += hex[byte & 0xF];
        } else {
            m_out += c;
        }
    }
    m_out += '"';
}

} // namespace json
