// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "APIVersionManager.h"

#include "Logging.h"

APIVersionManager::APIVersionManager() : m_currentAdapter(std::make_shared<QBittorrent4Adapter>()) {}

APIVersionManager &APIVersionManager::shared()
{
    static APIVersionManager instance;
    return instance;
}

void APIVersionManager::setAdapter(std::shared_ptr<const APIVersionAdapter> adapter)
{
    if (adapter)
        m_currentAdapter = std::move(adapter);
}

std::optional<qint64> APIVersionManager::majorVersion(const QString &versionText)
{
    QString text = versionText;
    text.remove(QLatin1Char('v'));
    const QStringList components = text.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (components.isEmpty())
        return std::nullopt;
    const QString &first = components.first();
    // QString::toLongLong would accept surrounding spaces; only sign and digits count here.
    qsizetype digitsFrom = (first.startsWith(QLatin1Char('+')) || first.startsWith(QLatin1Char('-'))) ? 1 : 0;
    if (digitsFrom >= first.size())
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < first.size(); ++i) {
        if (first.at(i) < QLatin1Char('0') || first.at(i) > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 major = first.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return major;
}

void APIVersionManager::updateVersion(const QString &versionText)
{
    const std::optional<qint64> major = majorVersion(versionText);
    if (!major)
        return;
    if (*major >= 5) {
        m_currentAdapter = std::make_shared<QBittorrent5Adapter>();
        logLine(lcApi(), QStringLiteral("🔄 切换到 qBittorrent 5.x API 适配器"));
    } else {
        m_currentAdapter = std::make_shared<QBittorrent4Adapter>();
        logLine(lcApi(), QStringLiteral("🔄 使用 qBittorrent 4.x API 适配器"));
    }
}
