// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/ServerConfig.h"

#include <QHash>
#include <QQueue>
#include <QTcpServer>

#include <functional>
#include <optional>

// One request as it arrived, byte for byte.
struct RecordedRequest
{
    QByteArray method;
    QByteArray target;                                // path and query as sent
    QList<std::pair<QByteArray, QByteArray>> headers; // in order, names as sent
    QByteArray body;
    QByteArray raw;     // head and body
    int connection = 0; // which TCP connection carried it, counted from 1

    QByteArray path() const { return target.split('?').first(); }
    QByteArray query() const { return hasQuery() ? target.mid(target.indexOf('?') + 1) : QByteArray(); }
    bool hasQuery() const { return target.contains('?'); }
    // First header of that name, compared without letter case; absent when missing.
    std::optional<QByteArray> header(const QByteArray &name) const;
    QList<QByteArray> headerNames() const;
};

// What the server does with one request: an ordinary answer or one of the scripted faults.
struct TestResponse
{
    // noAnswer: keep the connection open and never answer; closeWithoutAnswer: close it at once;
    // closeMidBody / stallMidBody: head and half the body, then close / nothing more; raw: `body`
    // as it stands (not HTTP), then close.
    enum class Fault { none, noAnswer, closeWithoutAnswer, closeMidBody, stallMidBody, raw };

    int status = 200;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // Appended after `body`: this many filler bytes, streamed without holding them in memory.
    qint64 fillerBytes = 0;
    bool chunked = false; // the body sent chunked (no Content-Length)
    int delayMs = 0;      // waits this long before answering
    Fault fault = Fault::none;

    TestResponse &withHeader(QByteArray key, QByteArray v) { return headers.append({key, v}), *this; }
    TestResponse &withDelay(int ms) { return delayMs = ms, *this; }

    static TestResponse withStatus(int status, QByteArray body = {}, Fault fault = Fault::none)
    {
        TestResponse response;
        response.status = status, response.body = std::move(body), response.fault = fault;
        return response;
    }
    static TestResponse text(QByteArray body, int status = 200)
    {
        return withStatus(status, std::move(body)).withHeader("Content-Type", "text/plain; charset=UTF-8");
    }
    static TestResponse json(QByteArray body, Fault fault = Fault::none)
    {
        return withStatus(200, std::move(body), fault).withHeader("Content-Type", "application/json");
    }
    static TestResponse noContent() { return withStatus(204); }
    // A good login as servers before 5.2 answer it: "Ok." and the session cookie.
    static TestResponse loginOk(const QByteArray &sid)
    {
        return text("Ok.").withHeader("Set-Cookie", "SID=" + sid + "; HttpOnly; SameSite=Strict; path=/");
    }
    static TestResponse loginFails() { return text("Fails."); }
    static TestResponse stall() { return withStatus(200, {}, Fault::noAnswer); }
    static TestResponse closeMidBody(QByteArray body) { return json(std::move(body), Fault::closeMidBody); }
    static TestResponse huge(qint64 bytes, bool chunked)
    {
        TestResponse response = withStatus(200);
        response.fillerBytes = bytes, response.chunked = chunked;
        return response;
    }
    static TestResponse notHttp(QByteArray bytes) { return withStatus(200, std::move(bytes), Fault::raw); }
};

// A small HTTP/1.1 server on 127.0.0.1 and a random port for tests. It records every request
// and answers from, in this order: the queue of the request's path, the handler of the path, the fallback
// handler (404 unless set). Keep-alive and Content-Length are honoured; chunked request bodies are not (Qt
// never sends them).
class TestHttpServer : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<TestResponse(const RecordedRequest &)>;

    explicit TestHttpServer(QObject *parent = nullptr);
    ~TestHttpServer() override;

    quint16 port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1"); }
    QByteArray baseUrl() const { return "http://127.0.0.1:" + QByteArray::number(m_port); }
    // A profile that points here (random id, plain HTTP).
    ServerConfig serverConfig(const QString &username = QStringLiteral("admin")) const;

    void enqueue(const QByteArray &path, TestResponse response) { m_pathQueues[path].enqueue(response); }
    void on(const QByteArray &path, Handler handler) { m_handlers.insert(path, std::move(handler)); }
    void on(const QByteArray &path, TestResponse r)
    {
        on(path, [r](auto &) { return r; });
    }
    void setFallback(Handler handler) { m_fallback = std::move(handler); }

    // A qBittorrent-like session: the login path checks the form body against the given
    // credentials and answers "Ok." with the cookie SID=<sid> or "Fails."; with
    // `requireSession` every other path answers 403 to a request without that cookie.
    void emulateLogin(const QString &username, const QString &password, const QByteArray &sid,
                      bool requireSession = true);
    // Changes the session id that the emulated login hands out and accepts.
    void setSessionId(const QByteArray &sid) { m_sid = sid; }

    // Stop listening and drop every open connection: from now on connections are refused.
    void refuse() { m_server.close(), closeAllConnections(); }
    // After refuse(): listens again on the same port (false when it cannot).
    bool answerAgain() { return m_server.isListening() || m_server.listen(QHostAddress::LocalHost, m_port); }
    void closeAllConnections();

    const QList<RecordedRequest> &requests() const { return m_requests; }
    QList<RecordedRequest> requestsTo(const QByteArray &path) const;
    qsizetype requestCount() const { return m_requests.size(); }
    const RecordedRequest &lastRequest() const { return m_requests.last(); }
    QList<QByteArray> targets() const; // of every request, in order
    void clearRequests() { m_requests.clear(); }
    // Runs the event loop until that many requests arrived; false after the guard time.
    bool waitForRequests(qsizetype count, int guardMs = 10'000);
    int connectionCount() const { return m_connectionSerial; }

Q_SIGNALS:
    void requestReceived();

private:
    struct Connection;

    void accept();
    void readFrom(Connection *c);
    bool parseOne(Connection *c);
    TestResponse answerFor(const RecordedRequest &request);
    void respond(Connection *c, TestResponse response, bool keepAlive);
    void streamFiller(Connection *c);
    void finishResponse(Connection *c);
    void drop(Connection *c);

    QTcpServer m_server;
    quint16 m_port = 0;
    QList<Connection *> m_connections;
    QList<RecordedRequest> m_requests;
    QHash<QByteArray, QQueue<TestResponse>> m_pathQueues;
    QHash<QByteArray, Handler> m_handlers;
    Handler m_fallback;
    QByteArray m_sid;
    bool m_requireSession = false;
    int m_connectionSerial = 0;
};
