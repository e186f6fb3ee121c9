// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A desktop notification service on the session bus (the tests' private one): it owns
// org.freedesktop.Notifications on a connection of its own, so that a notification reaches it
// through the bus daemon like any other, and records every Notify call.
class NotificationRecorder : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call
    {
        QString appName;
        QString appIcon;
        QString summary;
        QString body;
        QVariantMap hints;
    };

    explicit NotificationRecorder(QStringList capabilities = {QStringLiteral("body")});
    ~NotificationRecorder() override;
    // Whether the service name was taken (false: the bus is not there, or another owns it).
    bool isRegistered() const { return m_registered; }
    const QList<Call> &calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);
    QStringList GetCapabilities() const { return m_capabilities; }
    void CloseNotification(uint) {}

private:
    QDBusConnection m_connection;
    QStringList m_capabilities;
    QList<Call> m_calls;
    bool m_registered = false;
};
