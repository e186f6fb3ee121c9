// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LinkInbox.h"

#include "Logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString objectPath = QStringLiteral("/app/seedwhirl/Seedwhirl");
const QString interfaceName = QStringLiteral(SEEDWHIRL_APP_ID);

} // namespace

LinkInbox &LinkInbox::shared()
{
    static auto *inbox = new LinkInbox();
    return *inbox;
}

QString LinkInbox::linkOf(const QString &argument, const QString &workingDirectory)
{
    const QString text = argument.trimmed();
    if (text.startsWith(QLatin1String("magnet:?"), Qt::CaseInsensitive))
        return text;
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) && url.isValid() && !url.host().isEmpty())
        return text;
    const QString path = scheme == QLatin1String("file") ? url.toLocalFile() : QDir(workingDirectory).absoluteFilePath(text);
    const QFileInfo file(path);
    if (text.isEmpty() || !file.isFile())
        return {};
    return QUrl::fromLocalFile(file.absoluteFilePath()).toString();
}

bool LinkInbox::handOverOrClaim(const QStringList &links)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> registered = bus.interface()->registerService(
        interfaceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (registered.isValid() && registered.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_claimed = bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
        return false;
    }
    QDBusMessage open = QDBusMessage::createMethodCall(interfaceName, objectPath, interfaceName, QStringLiteral("Open"));
    open << links;
    const QDBusMessage reply = bus.call(open, QDBus::Block, 5000);
    // The running one did not answer: this start goes on by itself rather than lose the links.
    return reply.type() == QDBusMessage::ReplyMessage;
}

void LinkInbox::deliver(const QStringList &links)
{
    bool added = false;
    for (const QString &link : links) {
        if (!link.isEmpty()) {
            m_pending.append(link);
            added = true;
        }
    }
    if (added)
        Q_EMIT pendingChanged();
}

QString LinkInbox::take()
{
    if (m_pending.isEmpty())
        return {};
    const QString link = m_pending.takeFirst();
    Q_EMIT pendingChanged();
    return link;
}

void LinkInbox::Open(const QStringList &links)
{
    logLine(lcUi(), QStringLiteral("🔗 另一次启动转来 %1 个链接").arg(links.size()));
    // Only what a start would have accepted itself.
    QStringList accepted;
    for (const QString &link : links)
        accepted.append(linkOf(link, QDir::currentPath()));
    deliver(accepted);
    Q_EMIT raiseRequested();
}
