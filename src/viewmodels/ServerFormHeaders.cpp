// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The custom header rows of the server form and their validation.
#include "ServerFormModel.h"

#include <algorithm>

namespace {

// RFC 9110 token characters.
bool isToken(const QString &name)
{
    static const QString symbols = QStringLiteral("!#$%&'*+-.^_`|~");
    return !name.isEmpty() && std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               symbols.contains(c);
    });
}

// Headers the client writes itself on every request; a second value would break it.
bool isClientHeader(const QString &name)
{
    static const QStringList names{QStringLiteral("host"),
                                   QStringLiteral("cookie"),
                                   QStringLiteral("content-length"),
                                   QStringLiteral("content-type"),
                                   QStringLiteral("transfer-encoding"),
                                   QStringLiteral("connection"),
                                   QStringLiteral("origin"),
                                   QStringLiteral("referer")};
    return names.contains(name.toLower());
}

} // namespace

QStringList ServerFormModel::headerNames() const
{
    QStringList names;
    for (const HeaderRow &row : m_headers)
        names.append(row.name);
    return names;
}

QStringList ServerFormModel::headerValues() const
{
    QStringList values;
    for (const HeaderRow &row : m_headers)
        values.append(row.value);
    return values;
}

QList<bool> ServerFormModel::headerSaved() const
{
    QList<bool> saved;
    for (const HeaderRow &row : m_headers)
        saved.append(row.savedIndex >= 0);
    return saved;
}

void ServerFormModel::addHeader()
{
    m_headers.append(HeaderRow{});
    Q_EMIT headersChanged();
}

void ServerFormModel::removeHeader(int row)
{
    if (row < 0 || row >= m_headers.size())
        return;
    m_headers.removeAt(row);
    Q_EMIT headersChanged();
}

void ServerFormModel::setHeaderName(int row, const QString &name)
{
    if (row < 0 || row >= m_headers.size() || m_headers[row].name == name)
        return;
    m_headers[row].name = name;
    Q_EMIT headersChanged();
}

void ServerFormModel::setHeaderValue(int row, const QString &value)
{
    if (row < 0 || row >= m_headers.size() || m_headers[row].value == value)
        return;
    m_headers[row].value = value;
    Q_EMIT headersChanged();
}

QString ServerFormModel::headerProblem() const
{
    if (m_headers.isEmpty())
        return tr("请添加至少一个请求头");
    QStringList seen;
    for (const HeaderRow &row : m_headers) {
        const QString name = row.name.trimmed();
        if (name.isEmpty())
            return tr("请求头名称不能为空");
        if (!isToken(name))
            return tr("请求头名称“%1”含有不允许的字符").arg(name);
        if (isClientHeader(name))
            return tr("请求头“%1”由应用自己设置，不能自定义").arg(name);
        if (m_useApiKey && name.compare(QLatin1String("Authorization"), Qt::CaseInsensitive) == 0)
            return tr("使用 API 密钥时 Authorization 请求头由应用设置，不能自定义");
        if (seen.contains(name.toLower()))
            return tr("请求头“%1”重复").arg(name);
        seen.append(name.toLower());
        if (row.value.contains(u'\r') || row.value.contains(u'\n'))
            return tr("请求头“%1”的值不能包含换行").arg(name);
        if (row.value.isEmpty() && row.savedIndex < 0)
            return tr("请填写请求头“%1”的值").arg(name);
    }
    return {};
}

bool ServerFormModel::headersUnchanged() const
{
    if (m_headers.size() != m_base.proxyHeaderNames.size())
        return false;
    for (int i = 0; i < m_headers.size(); ++i) {
        if (m_headers[i].savedIndex != i || !m_headers[i].value.isEmpty())
            return false;
    }
    return true;
}
