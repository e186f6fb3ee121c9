// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CompletionNotifier.h"

#include "Logging.h"

#include "api/QBittorrentAPIClient.h"
#include "store/AppSettings.h"
#include "sync/TorrentRepository.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

bool isDownloading(TorrentState state)
{
    switch (state) {
    case TorrentState::downloading:
    case TorrentState::stalledDL:
    case TorrentState::queuedDL:
    case TorrentState::forcedDL:
    case TorrentState::metaDL:
    case TorrentState::forcedMetaDL:
    case TorrentState::allocating:
        return true;
    default:
        return false;
    }
}

bool isSeeding(TorrentState state)
{
    switch (state) {
    case TorrentState::uploading:
    case TorrentState::stalledUP:
    case TorrentState::queuedUP:
    case TorrentState::forcedUP:
        return true;
    default:
        return false;
    }
}

} // namespace

CompletionNotifier::CompletionNotifier(QBittorrentAPIClient &client, std::shared_ptr<TorrentRepository> repository,
                                       AppSettings &settings, QObject *parent)
    : QObject(parent), m_client(client), m_repository(std::move(repository)), m_settings(settings)
{
    connect(m_repository.get(), &TorrentRepository::torrentsChanged, this, &CompletionNotifier::takeIn);
    connect(&m_client, &QBittorrentAPIClient::currentServerChanged, this, &CompletionNotifier::followServer);
    connect(&m_client, &QBittorrentAPIClient::isAuthenticatedChanged, this, &CompletionNotifier::followServer);
    connect(&m_settings, &AppSettings::notifiesCompletionsChanged, this, &CompletionNotifier::followServer);
    followServer();

    // Markup in the body only where the service reads it; elsewhere it would show as text.
    const QDBusMessage ask = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        const QDBusPendingReply<QStringList> reply = *call;
        m_markup = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
        call->deleteLater();
    });
}

CompletionNotifier::~CompletionNotifier()
{
    m_repository->setBackgroundWatcher(this, false);
}

bool CompletionNotifier::finishes(const Torrent &before, const Torrent &after)
{
    // A recheck passes through the checking states: it is not a download that finished.
    return before.progress < 1 && isDownloading(before.state) && (after.progress >= 1 || isSeeding(after.state));
}

void CompletionNotifier::followServer()
{
    const std::optional<ServerConfig> &server = m_client.currentServer();
    const QString id = server ? server->id.toString(QUuid::WithoutBraces) : QString();
    if (id != m_serverId) {
        m_serverId = id;
        const QStringList told = id.isEmpty() ? QStringList() : m_settings.notifiedCompletions(id);
        m_told = QSet<QString>(told.cbegin(), told.cend());
    }
    m_repository->setBackgroundWatcher(this, m_settings.notifiesCompletions() && server &&
                                                 m_client.isAuthenticated());
}

void CompletionNotifier::takeIn(const TorrentChanges &changes)
{
    // A list that arrived whole (the first answer, a reconnect) has no earlier records to
    // compare: what is complete in it was complete before.
    if (changes.everything || !m_settings.notifiesCompletions() || m_serverId.isEmpty())
        return;
    QList<TorrentPtr> finished;
    for (const TorrentChange &change : changes.changes) {
        if (change.before && change.after && finishes(*change.before, *change.after) &&
            !m_told.contains(change.after->id))
            finished.append(change.after);
    }
    if (finished.isEmpty())
        return;
    QStringList hashes;
    for (const TorrentPtr &torrent : finished) {
        hashes.append(torrent->id);
        m_told.insert(torrent->id);
    }
    m_settings.addNotifiedCompletions(m_serverId, hashes);

    const std::optional<ServerConfig> &server = m_client.currentServer();
    const QString serverName = server ? server->name : QString();
    const QString summary = tr("下载完成");
    if (finished.size() <= maxSingleNotifications) {
        for (const TorrentPtr &torrent : finished)
            send(summary, torrent->name + u'\n' + serverName);
        return;
    }
    QStringList names;
    for (qsizetype i = 0; i < maxSingleNotifications; ++i)
        names.append(finished[i]->name);
    send(summary,
         tr("%1 个种子已下载完成：%2 等\n%3").arg(finished.size()).arg(names.join(tr("、")), serverName));
}

void CompletionNotifier::send(const QString &summary, const QString &body)
{
    logLine(lcViewModels(), QStringLiteral("🔔 ") + summary + QStringLiteral(": ") + QString(body).replace(u'\n', u' '));
    Q_EMIT notified(summary, body);
    QDBusMessage notify = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral(SEEDWHIRL_APP_ID)},
                            {QStringLiteral("category"), QStringLiteral("transfer.complete")}};
    notify << QStringLiteral("Seedwhirl") << uint(0) << QStringLiteral(SEEDWHIRL_APP_ID) << summary
           << (m_markup.value_or(false) ? body.toHtmlEscaped() : body) << QStringList() << hints << qint32(-1);
    // Nobody waits for the answer: without a notification service there is nothing to tell.
    QDBusConnection::sessionBus().call(notify, QDBus::NoBlock);
}
