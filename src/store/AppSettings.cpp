// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AppSettings.h"

#include <QMetaType>

#include <cmath>

namespace {

const QString autoRefreshKey = QStringLiteral("autoRefreshEnabled");
const QString refreshIntervalKey = QStringLiteral("refreshInterval");
const QString savePathKey = QStringLiteral("defaultSavePath");
const QString notifyKey = QStringLiteral("notifiesCompletions");
const QString paneWidthKey = QStringLiteral("detailPaneWidth");
// A group of its own: one list of hashes per profile id.
const QString notifiedGroup = QStringLiteral("notifiedCompletions/");

// QSettings hands back what the backend holds: typed values from a native store, strings from
// an INI file. A value counts as a boolean, double or string only when it reads back as one
// unambiguously, so "abc" is not a number and "1" is not a boolean.
std::optional<bool> asBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return std::nullopt;
}

std::optional<double> asDouble(const QVariant &value)
{
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        number = value.toDouble(&ok);
        break;
    case QMetaType::QString:
        number = value.toString().toDouble(&ok);
        break;
    default:
        break;
    }
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<QString> asString(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

} // namespace

AppSettings &AppSettings::shared()
{
    static auto *instance = new AppSettings();
    return *instance;
}

AppSettings::AppSettings(QObject *parent) : QObject(parent), m_defaults(std::make_unique<QSettings>())
{
    load();
}

AppSettings::AppSettings(const QString &iniPath, QObject *parent)
    : QObject(parent), m_defaults(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
    load();
}

AppSettings::~AppSettings() = default;

void AppSettings::load()
{
    m_isAutoRefreshEnabled = asBool(m_defaults->value(autoRefreshKey)).value_or(defaultAutoRefreshEnabled);
    m_refreshInterval = asDouble(m_defaults->value(refreshIntervalKey)).value_or(defaultRefreshInterval);
    m_defaultSavePath = asString(m_defaults->value(savePathKey)).value_or(defaultDefaultSavePath());
    m_notifiesCompletions = asBool(m_defaults->value(notifyKey)).value_or(true);
    const double paneWidth = asDouble(m_defaults->value(paneWidthKey)).value_or(0);
    m_detailPaneWidth = std::isfinite(paneWidth) && paneWidth > 0 ? paneWidth : 0;
}

void AppSettings::setDetailPaneWidth(double width)
{
    if (!std::isfinite(width) || width < 0)
        return;
    const bool changed = m_detailPaneWidth != width;
    m_detailPaneWidth = width;
    if (changed)
        Q_EMIT detailPaneWidthChanged();
    m_defaults->setValue(paneWidthKey, width);
}

void AppSettings::setNotifiesCompletions(bool on)
{
    const bool changed = m_notifiesCompletions != on;
    m_notifiesCompletions = on;
    if (changed)
        Q_EMIT notifiesCompletionsChanged();
    m_defaults->setValue(notifyKey, on);
}

QStringList AppSettings::notifiedCompletions(const QString &serverId) const
{
    const QVariant stored = m_defaults->value(notifiedGroup + serverId);
    return stored.metaType() == QMetaType::fromType<QStringList>() || stored.canConvert<QStringList>()
               ? stored.toStringList()
               : QStringList();
}

void AppSettings::addNotifiedCompletions(const QString &serverId, const QStringList &hashes)
{
    QStringList all = notifiedCompletions(serverId) + hashes;
    if (all.size() > maxNotifiedCompletions)
        all = all.mid(all.size() - maxNotifiedCompletions);
    m_defaults->setValue(notifiedGroup + serverId, all);
}

void AppSettings::setAutoRefreshEnabled(bool enabled)
{
    const bool changed = m_isAutoRefreshEnabled != enabled;
    m_isAutoRefreshEnabled = enabled;
    if (changed)
        Q_EMIT isAutoRefreshEnabledChanged();
    m_defaults->setValue(autoRefreshKey, enabled);
}

void AppSettings::setRefreshInterval(double seconds)
{
    const bool changed = m_refreshInterval != seconds;
    m_refreshInterval = seconds;
    if (changed)
        Q_EMIT refreshIntervalChanged();
    m_defaults->setValue(refreshIntervalKey, seconds);
}

void AppSettings::setDefaultSavePath(const QString &path)
{
    const bool changed = m_defaultSavePath != path;
    m_defaultSavePath = path;
    if (changed)
        Q_EMIT defaultSavePathChanged();
    m_defaults->setValue(savePathKey, path);
}

void AppSettings::sync()
{
    m_defaults->sync();
}
