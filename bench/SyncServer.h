// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>

class QObject;

// The answers of one server size, built and gzip-compressed once, so that serving a tick costs
// the server thread no more than writing bytes.
struct SyncAnswers
{
    int torrentCount = 0;
    QByteArray full;           // rid 1, every torrent
    QByteArray incremental[2]; // rid 2 and rid 3: the same 1% of the torrents, other values
    QByteArray categories;
    qint64 bytes() const { return full.size() + incremental[0].size() + incremental[1].size(); }

    static std::shared_ptr<const SyncAnswers> build(int torrentCount);
};

// gzip (RFC 1952) of `data` at zlib's default level.
QByteArray gzipCompress(const QByteArray &data);

// A local HTTP/1.1 server on a thread of its own that answers like qBittorrent 4.5.2: a login
// that sets a session cookie, the version, the sync endpoint (a full answer for rid 0 or an
// unknown rid, otherwise the next incremental one, alternating between two so that the same
// torrents change back and forth), categories and tags; anything else gets an empty JSON
// answer. Keep-alive connections, Content-Length framing. The client's thread is never used.
class SyncServer
{
public:
    SyncServer();
    ~SyncServer();
    SyncServer(const SyncServer &) = delete;
    SyncServer &operator=(const SyncServer &) = delete;

    quint16 port() const { return m_port; }

    void setAnswers(std::shared_ptr<const SyncAnswers> answers);
    std::shared_ptr<const SyncAnswers> answers() const;

    // Forgets the time of the first full sync request and the request count.
    void resetCounters();
    // steady_clock nanoseconds of the first full sync request since resetCounters(); 0 before.
    qint64 firstFullRequestNs() const { return m_firstFullNs.load(); }
    // When the last byte of the answer to that request was handed to the socket; 0 before.
    qint64 firstFullSentNs() const { return m_firstFullSentNs.load(); }
    // Sync requests since resetCounters(), and the steady_clock nanoseconds of the last one.
    int syncRequests() const { return m_syncRequests.load(); }
    qint64 lastSyncRequestNs() const { return m_lastSyncNs.load(); }

    // The answer to one request (on the server thread): status line and headers, then body.
    struct Reply
    {
        QByteArray head;
        QByteArray body;
        bool firstFull = false; // the answer to the first full sync request
    };
    void markFirstFullSent();
    Reply answer(const QByteArray &method, const QByteArray &target);

private:
    QThread m_thread;
    QObject *m_context = nullptr; // lives on m_thread
    quint16 m_port = 0;
    mutable std::mutex m_mutex;
    std::shared_ptr<const SyncAnswers> m_answers;
    std::atomic<qint64> m_firstFullNs{0};
    std::atomic<qint64> m_firstFullSentNs{0};
    std::atomic<qint64> m_lastSyncNs{0};
    std::atomic<int> m_syncRequests{0};
};
