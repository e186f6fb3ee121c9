// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NotificationRecorder.h"

#include <QDBusConnectionInterface>

NotificationRecorder::NotificationRecorder(QStringList capabilities)
    : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notification-recorder"))),
      m_capabilities(std::move(capabilities))
{
    m_registered = m_connection.isConnected() &&
                   m_connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                               QDBusConnection::ExportAllSlots) &&
                   m_connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

NotificationRecorder::~NotificationRecorder()
{
    m_connection.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    m_connection.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("notification-recorder"));
}

uint NotificationRecorder::Notify(const QString &appName, uint, const QString &appIcon, const QString &summary,
                                  const QString &body, const QStringList &, const QVariantMap &hints, int)
{
    m_calls.append({appName, appIcon, summary, body, hints});
    return uint(m_calls.size());
}
