// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A TCP relay on 127.0.0.1 in front of the server, so that the screens can be shown as a slow
// line or a lost connection make them look: the bytes towards the application can be paced,
// and the relay can stop answering and answer again on the same port. It names the server in
// the requests' Host header, which the server checks against its own address.
class Relay : public QObject
{
public:
    Relay(QString host, quint16 port, QObject *parent = nullptr);
    bool listen();
    quint16 port() const { return m_port; }
    // At most this many bytes towards the application per 100 ms, per connection; 0: no bound.
    void setPace(qint64 bytesPerTick) { m_pace = bytesPerTick; }
    // Every connection dropped and new ones refused, until restore().
    void cut();
    bool restore();

private:
    struct Pair
    {
        QPointer<QTcpSocket> client;
        QPointer<QTcpSocket> upstream;
        QByteArray held; // towards the client, waiting for the pace
    };
    void accept();
    void flush(Pair &pair);
    void drop(Pair *pair);

    QString m_host;
    quint16 m_upstreamPort;
    quint16 m_port = 0;
    qint64 m_pace = 0;
    QTcpServer m_server;
    QTimer m_tick;
    QList<Pair *> m_pairs;
};
