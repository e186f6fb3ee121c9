// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Relay.h"

#include <QHostAddress>

Relay::Relay(QString host, quint16 port, QObject *parent)
    : QObject(parent), m_host(std::move(host)), m_upstreamPort(port)
{
    connect(&m_server, &QTcpServer::newConnection, this, &Relay::accept);
    m_tick.setInterval(100);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        for (Pair *pair : QList<Pair *>(m_pairs))
            if (m_pairs.contains(pair))
                flush(*pair);
    });
    m_tick.start();
}

bool Relay::listen()
{
    if (!m_server.listen(QHostAddress::LocalHost, m_port))
        return false;
    m_port = m_server.serverPort();
    return true;
}

void Relay::cut()
{
    m_server.close();
    while (!m_pairs.isEmpty())
        drop(m_pairs.first());
}

bool Relay::restore()
{
    return m_server.isListening() || listen();
}

void Relay::accept()
{
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
        auto *pair = new Pair{client, new QTcpSocket(this), {}};
        m_pairs.append(pair);
        client->setParent(this);
        // The server checks the Host header against its own address: the requests name it.
        const auto forward = [this, pair] {
            if (!pair->upstream || pair->upstream->state() != QAbstractSocket::ConnectedState)
                return;
            QByteArray bytes = pair->client->readAll();
            bytes.replace("\r\nHost: 127.0.0.1:" + QByteArray::number(m_port) + "\r\n",
                          "\r\nHost: " + m_host.toUtf8() + ':' + QByteArray::number(m_upstreamPort) + "\r\n");
            pair->upstream->write(bytes);
        };
        connect(client, &QTcpSocket::readyRead, this, forward);
        connect(pair->upstream, &QTcpSocket::connected, this, forward);
        connect(pair->upstream, &QTcpSocket::readyRead, this, [this, pair] {
            pair->held += pair->upstream->readAll();
            if (!m_pace)
                flush(*pair);
        });
        connect(client, &QTcpSocket::disconnected, this, [this, pair] { drop(pair); });
        // The rest still goes out at the pace; flush() drops the pair once it is all out.
        connect(pair->upstream, &QTcpSocket::disconnected, this, [this, pair] { flush(*pair); });
        pair->upstream->connectToHost(m_host, m_upstreamPort);
    }
}

void Relay::flush(Pair &pair)
{
    if (!pair.client)
        return;
    const qint64 size = m_pace ? std::min<qint64>(m_pace, pair.held.size()) : pair.held.size();
    if (size > 0) {
        pair.client->write(pair.held.left(size));
        pair.held.remove(0, size);
    }
    if (pair.held.isEmpty() && pair.upstream && pair.upstream->state() == QAbstractSocket::UnconnectedState)
        drop(&pair);
}

void Relay::drop(Pair *pair)
{
    if (!m_pairs.removeOne(pair))
        return;
    for (QTcpSocket *socket : {pair->client.data(), pair->upstream.data()}) {
        if (socket) {
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
        }
    }
    delete pair;
}
