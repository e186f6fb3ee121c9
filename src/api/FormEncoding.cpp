#include "FormEncoding.h"

namespace {
bool keptAsIs(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '*' ||
           c == '-' || c == '.' || c == '_';
}
} // namespace

QByteArray formEncode(const QString &value)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = value.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (const char c : utf8) {
        if (keptAsIs(c)) {
            out.append(c);
        } else if (c == ' ') {
            out.append('+');
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out.append('%');
            out.append(hex[byte >> 4]);
            out.append(hex[byte & 0xF]);
        }
    }
    return out;
}

QByteArray loginBody(const QString &username, const QString &password)
{
    return "username=" + formEncode(username) + "&password=" + formEncode(password);
}
