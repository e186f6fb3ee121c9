#pragma once

#include <QByteArray>
#include <QString>

#include <string_view>

namespace json {

// Writes compact JSON. Integers are written digit for digit: a number passed through
// QJsonValue becomes a double and loses int64 values beyond 2^53. Doubles are written in the
// shortest form that reads back to the same value.
class Writer
{
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view utf8);
    void key(const QString &name);
    void value(qint64 number);
    void value(double number); // JSON has no NaN or infinity: a non-finite number is written as null
    void value(bool flag);
    void value(const QString &text);
    void null();

    QByteArray take() { return std::move(m_out); }

private:
    void separate();
    void quoted(std::string_view utf8);

    QByteArray m_out;
    // Set after every complete value: the next key or array element needs a comma first.
    bool m_needComma = false;
};

} // namespace json
