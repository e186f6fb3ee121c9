// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/Torrent.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class AppSettings;
class QBittorrentAPIClient;
class TorrentRepository;

// Tells the desktop when a download of the connected server finishes, through
// org.freedesktop.Notifications on the session bus: "下载完成", the torrent's name and the
// server's name. A torrent is told once: not when it was complete already when the list first
// arrived (or arrived anew after a reconnect), and never again once told, also across restarts
// (the hashes told are kept per server profile). When many finish in one sync pass, one summary
// stands for them. While notifications are on and a server is connected, the list is kept
// current also when no screen shows it, at the repository's background pace.
class CompletionNotifier : public QObject
{
    Q_OBJECT

public:
    CompletionNotifier(QBittorrentAPIClient &client, std::shared_ptr<TorrentRepository> repository,
                       AppSettings &settings, QObject *parent = nullptr);
    ~CompletionNotifier() override;

    // Beyond this many in one pass, a summary is shown instead of one notification each.
    static constexpr int maxSingleNotifications = 3;
    // Whether the notification service reads markup in the body; none until it said.
    std::optional<bool> readsMarkup() const { return m_markup; }
    // Whether a change of a record is a finished download.
    static bool finishes(const Torrent &before, const Torrent &after);

Q_SIGNALS:
    // Each notification as it is sent (for logs and tests).
    void notified(const QString &summary, const QString &body);

private:
    void takeIn(const TorrentChanges &changes);
    void followServer();
    void send(const QString &summary, const QString &body);

    QBittorrentAPIClient &m_client;
    std::shared_ptr<TorrentRepository> m_repository;
    AppSettings &m_settings;
    QString m_serverId;         // the profile the told hashes belong to
    QSet<QString> m_told;       // of that profile
    std::optional<bool> m_markup; // whether the notification service reads markup; unknown first
};
