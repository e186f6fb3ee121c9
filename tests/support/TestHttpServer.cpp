// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestHttpServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace {

const QByteArray loginPath = QByteArrayLiteral("/api/v2/auth/login");
constexpr qint64 fillerChunk = 64 * 1024;
// Filler is written only while the socket's own buffer is below this, so a huge answer never
// sits in memory as a whole.
constexpr qint64 writeHighWater = 256 * 1024;

// application/x-www-form-urlencoded fields: "+" is a space, then percent-decoding.
QHash<QByteArray, QString> formFields(const QByteArray &body)
{
    QHash<QByteArray, QString> fields;
    for (const QByteArray &pair : body.split('&')) {
        const qsizetype eq = pair.indexOf('=');
        const QByteArray value = eq < 0 ? QByteArray() : pair.mid(eq + 1).replace('+', ' ');
        fields.insert(pair.left(eq < 0 ? pair.size() : eq),
                      QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return fields;
}

bool hasCookie(const RecordedRequest &request, const QByteArray &cookie)
{
    return std::ranges::any_of(request.headers, [&](const auto &header) {
        return header.first.compare("Cookie", Qt::CaseInsensitive) == 0 &&
               std::ranges::any_of(header.second.split(';'),
                                   [&](const auto &pair) { return pair.trimmed() == cookie; });
    });
}

} // namespace

std::optional<QByteArray> RecordedRequest::header(const QByteArray &name) const
{
    const auto it = std::ranges::find_if(
        headers, [&](const auto &header) { return header.first.compare(name, Qt::CaseInsensitive) == 0; });
    return it == headers.end() ? std::nullopt : std::optional(it->second);
}

QList<QByteArray> RecordedRequest::headerNames() const
{
    QList<QByteArray> names;
    for (const auto &header : headers)
        names.append(header.first);
    return names;
}

struct TestHttpServer::Connection : QObject
{
    QTcpSocket *socket = nullptr; // child of the connection
    QByteArray buffer;
    int serial = 0;
    bool busy = false;      // an answer is being prepared or written
    bool streaming = false; // the body of the current answer is still being written
    bool dropped = false;   // scheduled for deletion; ignore its signals
    bool chunked = false;
    bool closeWhenWritten = false;
    qint64 fillerLeft = 0;
};

TestHttpServer::TestHttpServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TestHttpServer::accept);
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        qFatal("TestHttpServer: cannot listen on 127.0.0.1: %s", qPrintable(m_server.errorString()));
    m_port = m_server.serverPort();
}

TestHttpServer::~TestHttpServer()
{
    m_server.close();
    for (Connection *c : std::exchange(m_connections, {})) {
        c->dropped = true;
        c->socket->disconnect();
        c->socket->abort();
        delete c;
    }
}

ServerConfig TestHttpServer::serverConfig(const QString &username) const
{
    return ServerConfig::create(QStringLiteral("测试服务器"), host(), m_port, username, false);
}

void TestHttpServer::emulateLogin(const QString &username, const QString &password, const QByteArray &sid,
                                  bool requireSession)
{
    m_sid = sid;
    m_requireSession = requireSession;
    on(loginPath, [this, username, password](const RecordedRequest &request) {
        const auto fields = formFields(request.body);
        const bool ok = fields.value("username") == username && fields.contains("password") &&
                        fields.value("password") == password;
        return ok ? TestResponse::loginOk(m_sid) : TestResponse::loginFails();
    });
}

void TestHttpServer::closeAllConnections()
{
    for (Connection *c : QList(m_connections))
        c->socket->abort(), drop(c);
}

QList<RecordedRequest> TestHttpServer::requestsTo(const QByteArray &path) const
{
    QList<RecordedRequest> matching;
    std::ranges::copy_if(m_requests, std::back_inserter(matching),
                         [&](const auto &r) { return r.path() == path; });
    return matching;
}

QList<QByteArray> TestHttpServer::targets() const
{
    QList<QByteArray> targets;
    for (const RecordedRequest &request : m_requests)
        targets.append(request.target);
    return targets;
}

bool TestHttpServer::waitForRequests(qsizetype count, int guardMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_requests.size() < count && clock.elapsed() < guardMs) {
        QEventLoop loop;
        connect(this, &TestHttpServer::requestReceived, &loop, &QEventLoop::quit);
        QTimer::singleShot(int(guardMs - clock.elapsed()), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_requests.size() >= count;
}

void TestHttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *c = new Connection;
        c->socket = socket;
        socket->setParent(c);
        c->serial = ++m_connectionSerial;
        m_connections.append(c);
        connect(socket, &QTcpSocket::readyRead, c, [this, c] { readFrom(c); });
        connect(socket, &QTcpSocket::bytesWritten, c, [this, c] { streamFiller(c); });
        connect(socket, &QTcpSocket::disconnected, c, [this, c] { drop(c); });
        if (socket->bytesAvailable() > 0)
            readFrom(c);
    }
}

void TestHttpServer::readFrom(Connection *c)
{
    if (c->dropped)
        return;
    c->buffer += c->socket->readAll();
    while (!c->busy && !c->dropped && parseOne(c)) {
    }
}

bool TestHttpServer::parseOne(Connection *c)
{
    const qsizetype headEnd = c->buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;
    RecordedRequest request;
    const QList<QByteArray> lines = c->buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (const QByteArray &line : lines.mid(1)) {
        if (const qsizetype colon = line.indexOf(':'); colon > 0)
            request.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    const qint64 contentLength = request.header("Content-Length").value_or("0").toLongLong();
    const qsizetype total = headEnd + 4 + contentLength;
    if (c->buffer.size() < total)
        return false;
    request.body = c->buffer.mid(headEnd + 4, contentLength);
    request.raw = c->buffer.left(total);
    request.connection = c->serial;
    c->buffer.remove(0, total);

    const QByteArray connectionHeader = request.header("Connection").value_or("").toLower();
    const bool keepAlive =
        requestLine.value(2) == "HTTP/1.1" ? connectionHeader != "close" : connectionHeader == "keep-alive";
    m_requests.append(request);
    TestResponse response = answerFor(request);
    c->busy = true;
    Q_EMIT requestReceived();
    if (c->dropped)
        return false;
    respond(c, std::move(response), keepAlive);
    return true;
}

TestResponse TestHttpServer::answerFor(const RecordedRequest &request)
{
    const QByteArray path = request.path();
    if (m_requireSession && path != loginPath && !hasCookie(request, "SID=" + m_sid))
        return TestResponse::text("Forbidden", 403);
    if (auto it = m_pathQueues.find(path); it != m_pathQueues.end() && !it->isEmpty())
        return it->dequeue();
    if (const auto it = m_handlers.constFind(path); it != m_handlers.constEnd())
        return (*it)(request);
    return m_fallback ? m_fallback(request) : TestResponse::text("Not Found", 404);
}

void TestHttpServer::respond(Connection *c, TestResponse response, bool keepAlive)
{
    if (response.delayMs > 0) {
        const int delay = std::exchange(response.delayMs, 0);
        QTimer::singleShot(delay, c, [this, c, response, keepAlive] {
            if (!c->dropped)
                respond(c, response, keepAlive);
        });
        return;
    }
    QTcpSocket *socket = c->socket;
    using Fault = TestResponse::Fault;
    if (response.fault == Fault::noAnswer)
        return; // stays busy: nothing more is read or answered on this connection
    if (response.fault == Fault::closeWithoutAnswer || response.fault == Fault::raw) {
        if (response.fault == Fault::raw)
            socket->write(response.body);
        socket->disconnectFromHost();
        return;
    }
    const int status = response.status;
    const bool noBody = (status >= 100 && status < 200) || status == 204 || status == 304;
    const bool halfBody = response.fault == Fault::closeMidBody || response.fault == Fault::stallMidBody;
    const bool chunked = response.chunked && !noBody && !halfBody;
    const bool closeAfter = !keepAlive || halfBody;

    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK\r\n" : " Status\r\n");
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (!noBody)
        head += "Content-Length: " + QByteArray::number(response.body.size() + response.fillerBytes) + "\r\n";
    socket->write(head +
                  (closeAfter && !halfBody ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n"));

    if (halfBody) {
        socket->write(response.body.left(response.body.size() / 2));
        socket->flush();
        if (response.fault == Fault::closeMidBody)
            socket->disconnectFromHost();
        return; // a stalled one stays busy for ever
    }
    if (chunked && !response.body.isEmpty())
        socket->write(QByteArray::number(response.body.size(), 16) + "\r\n" + response.body + "\r\n");
    else if (!chunked && !noBody)
        socket->write(response.body);
    c->chunked = chunked;
    c->fillerLeft = noBody ? 0 : response.fillerBytes;
    c->closeWhenWritten = closeAfter;
    c->streaming = true;
    streamFiller(c);
}

void TestHttpServer::streamFiller(Connection *c)
{
    if (c->dropped || !c->streaming)
        return;
    static const QByteArray block(fillerChunk, 'x');
    while (c->fillerLeft > 0 && c->socket->bytesToWrite() < writeHighWater) {
        const QByteArray piece = block.left(std::min(c->fillerLeft, fillerChunk));
        c->fillerLeft -= piece.size();
        c->socket->write(c->chunked ? QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n" : piece);
    }
    if (c->fillerLeft > 0)
        return;
    if (std::exchange(c->chunked, false))
        c->socket->write("0\r\n\r\n");
    const bool close = c->closeWhenWritten;
    finishResponse(c);
    if (close)
        c->socket->disconnectFromHost(); // waits until everything written has gone out
}

void TestHttpServer::finishResponse(Connection *c)
{
    c->busy = c->streaming = c->closeWhenWritten = false;
    c->fillerLeft = 0;
    // The next request on a kept-alive connection may already be waiting.
    if (!c->buffer.isEmpty()) {
        QTimer::singleShot(0, c, [this, c] {
            if (!c->dropped)
                readFrom(c);
        });
    }
}

void TestHttpServer::drop(Connection *c)
{
    if (std::exchange(c->dropped, true))
        return;
    m_connections.removeOne(c);
    c->socket->disconnect(c);
    c->deleteLater();
}
