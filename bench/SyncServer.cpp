// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SyncServer.h"

#include "SyntheticPayload.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

#include <zlib.h>

#include <chrono>
#include <cstdio>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QByteArray head(const char *contentType, qsizetype length, bool gzip, const QByteArray &extra = {})
{
    QByteArray out = "HTTP/1.1 200 OK\r\nContent-Type: ";
    out += contentType;
    out += "\r\nContent-Length: ";
    out += QByteArray::number(length);
    out += "\r\nConnection: keep-alive\r\nX-Frame-Options: SAMEORIGIN\r\n";
    if (gzip)
        out += "Content-Encoding: gzip\r\nVary: Accept-Encoding\r\n";
    out += extra;
    out += "\r\n";
    return out;
}

SyncServer::Reply plain(const QByteArray &body, const char *type = "text/plain; charset=UTF-8",
                        const QByteArray &extra = {})
{
    return {head(type, body.size(), false, extra), body};
}

// One connection: requests are read as they come (head, then Content-Length bytes of body) and
// answered in order.
void serve(QTcpSocket *socket, SyncServer &server)
{
    auto buffer = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer, &server] {
        *buffer += socket->readAll();
        for (;;) {
            const qsizetype end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            qsizetype length = 0;
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QByteArray line = lines[i].trimmed();
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            }
            if (buffer->size() < end + 4 + length)
                return;
            const QList<QByteArray> request = lines.value(0).trimmed().split(' ');
            buffer->remove(0, end + 4 + length);
            const SyncServer::Reply reply = server.answer(request.value(0), request.value(1));
            socket->write(reply.head);
            socket->write(reply.body);
            if (reply.firstFull) {
                auto written = std::make_shared<QMetaObject::Connection>();
                *written = QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, written, &server] {
                    if (socket->bytesToWrite() == 0) {
                        server.markFirstFullSent();
                        QObject::disconnect(*written);
                    }
                });
            }
        }
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

} // namespace

QByteArray gzipCompress(const QByteArray &data)
{
    z_stream stream{};
    // 15 window bits plus 16: a gzip header and trailer instead of zlib's.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

std::shared_ptr<const SyncAnswers> SyncAnswers::build(int torrentCount)
{
    auto answers = std::make_shared<SyncAnswers>();
    answers->torrentCount = torrentCount;
    answers->full = gzipCompress(synthetic::fullMainData(torrentCount));
    for (int i = 0; i < 2; ++i) {
        QByteArray body = synthetic::incrementalMainData(torrentCount, 0.01, unsigned(2 + i));
        // The generator writes rid 2; the second one answers with rid 3, whose next is rid 2.
        if (i == 1)
            body.replace(0, 9, "{\"rid\":3,");
        answers->incremental[i] = gzipCompress(body);
    }
    answers->categories = R"({"books":{"name":"books","savePath":"/downloads/books"},)"
                          R"("games":{"name":"games","savePath":"/downloads/games"},)"
                          R"("linux":{"name":"linux","savePath":"/downloads/linux"},)"
                          R"("movies":{"name":"movies","savePath":"/downloads/movies"},)"
                          R"("music":{"name":"music","savePath":"/downloads/music"}})";
    return answers;
}

SyncServer::SyncServer()
{
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("sync-server"));
    m_thread.start();
    QMetaObject::invokeMethod(
        m_context,
        [this] {
            auto *listener = new QTcpServer(m_context);
            QObject::connect(listener, &QTcpServer::newConnection, listener, [this, listener] {
                while (QTcpSocket *socket = listener->nextPendingConnection())
                    serve(socket, *this);
            });
            if (!listener->listen(QHostAddress::LocalHost, 0))
                std::fprintf(stderr, "sync server: %s\n", qPrintable(listener->errorString()));
            m_port = listener->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

SyncServer::~SyncServer()
{
    QMetaObject::invokeMethod(m_context, [this] { delete m_context; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void SyncServer::setAnswers(std::shared_ptr<const SyncAnswers> answers)
{
    std::lock_guard lock(m_mutex);
    m_answers = std::move(answers);
}

std::shared_ptr<const SyncAnswers> SyncServer::answers() const
{
    std::lock_guard lock(m_mutex);
    return m_answers;
}

void SyncServer::resetCounters()
{
    m_firstFullNs = 0;
    m_firstFullSentNs = 0;
    m_lastSyncNs = 0;
    m_syncRequests = 0;
}

void SyncServer::markFirstFullSent()
{
    m_firstFullSentNs = nowNs();
}

SyncServer::Reply SyncServer::answer(const QByteArray &method, const QByteArray &target)
{
    const qsizetype question = target.indexOf('?');
    const QByteArray path = question < 0 ? target : target.left(question);
    const QUrlQuery query(QString::fromLatin1(question < 0 ? QByteArray() : target.mid(question + 1)));

    if (path == "/api/v2/auth/login" && method == "POST")
        return plain("Ok.", "text/plain; charset=UTF-8",
                     "Set-Cookie: SID=benchsession0123456789abcdef; HttpOnly; SameSite=Strict; path=/\r\n");
    if (path == "/api/v2/app/version")
        return plain("v4.5.2");
    if (path == "/api/v2/app/webapiVersion")
        return plain("2.8.19");

    const std::shared_ptr<const SyncAnswers> current = answers();
    if (path == "/api/v2/sync/maindata" && current) {
        const qint64 now = nowNs();
        ++m_syncRequests;
        m_lastSyncNs = now;
        const QString rid = query.queryItemValue(QStringLiteral("rid"));
        const QByteArray *body = &current->full;
        if (rid == QLatin1String("1") || rid == QLatin1String("3"))
            body = &current->incremental[0];
        else if (rid == QLatin1String("2"))
            body = &current->incremental[1];
        bool first = false;
        if (body == &current->full) {
            qint64 none = 0;
            first = m_firstFullNs.compare_exchange_strong(none, now);
        }
        return {head("application/json", body->size(), true), *body, first};
    }
    if (path == "/api/v2/torrents/categories" && current)
        return plain(current->categories, "application/json");
    if (path == "/api/v2/torrents/tags")
        return plain(R"(["a","b","hd","iso","keep","new","remux"])", "application/json");
    if (path == "/api/v2/transfer/info")
        return plain(R"({"connection_status":"connected","dht_nodes":300,"dl_info_data":0,)"
                     R"("dl_info_speed":0,"dl_rate_limit":0,"up_info_data":0,"up_info_speed":0,)"
                     R"("up_rate_limit":0})",
                     "application/json");
    std::fprintf(stderr, "sync server: no answer of its own for %s %s\n", method.constData(),
                 target.constData());
    return plain(path.endsWith("s") ? "[]" : "{}", "application/json");
}
