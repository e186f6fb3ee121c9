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

bool statusHasNoBody(int status)
{
    return (status >= 100 && status < 200) || status == 204 || status == 304;
}

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
    for (const auto &[headerName, headerValue] : request.headers) {
        if (headerName.compare("Cookie", Qt::CaseInsensitive) == 0 &&
            std::ranges::any_of(headerValue.split(';'),
                                [&](const QByteArray &pair) { return pair.trimmed() == cookie; }))
            return true;
    }
    return false;
}

} // namespace

// ---- RecordedRequest ----

std::optional<QByteArray> RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[headerName, value] : headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QList<QByteArray> RecordedRequest::headerNames() const
{
    QList<QByteArray> names;
    std::ranges::transform(headers, std::back_inserter(names),
                           [](const auto &header) { return header.first; });
    return names;
}

// ---- TestHttpServer ----

struct TestHttpServer::Connection : QObject
{
    QTcpSocket *socket = nullptr; // child of the connection
    QByteArray buffer;
    int serial = 0;
    bool busy = false;      // an answer is being prepared or written
    bool streaming = false; // the body of the current answer is still being written
    bool dropped = false;   // scheduled for deletion; ignore its signals
    bool chunked = false;
    qint64 fillerLeft = 0;
    bool closeWhenWritten = false;
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
    const QList<Connection *> open = m_connections;
    m_connections.clear();
    for (Connection *connection : open) {
        connection->dropped = true;
        connection->socket->disconnect();
        connection->socket->abort();
        delete connection;
    }
}

ServerConfig TestHttpServer::serverConfig(const QString &username) const
{
    return ServerConfig::create(QStringLiteral("测试服务器"), host(), m_port, username, false);
}

void TestHttpServer::on(const QByteArray &path, TestResponse response)
{
    m_handlers.insert(path, [response](const RecordedRequest &) { return response; });
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
    const QList<Connection *> open = m_connections;
    for (Connection *connection : open) {
        connection->socket->abort();
        drop(connection);
    }
}

QList<RecordedRequest> TestHttpServer::requestsTo(const QByteArray &path) const
{
    QList<RecordedRequest> matching;
    std::ranges::copy_if(m_requests, std::back_inserter(matching),
                         [&](const auto &r) { return r.path() == path; });
    return matching;
}

bool TestHttpServer::waitForRequests(qsizetype count, int guardMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_requests.size() < count) {
        const qint64 left = guardMs - clock.elapsed();
        if (left <= 0)
            return false;
        QEventLoop loop;
        connect(this, &TestHttpServer::requestReceived, &loop, &QEventLoop::quit);
        QTimer::singleShot(int(left), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void TestHttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *connection = new Connection;
        connection->socket = socket;
        socket->setParent(connection);
        connection->serial = ++m_connectionSerial;
        m_connections.append(connection);
        connect(socket, &QTcpSocket::readyRead, connection, [this, connection] { readFrom(connection); });
        connect(socket, &QTcpSocket::bytesWritten, connection,
                [this, connection] { streamFiller(connection); });
        connect(socket, &QTcpSocket::disconnected, connection, [this, connection] { drop(connection); });
        if (socket->bytesAvailable() > 0)
            readFrom(connection);
    }
}

void TestHttpServer::readFrom(Connection *connection)
{
    if (connection->dropped)
        return;
    connection->buffer += connection->socket->readAll();
    while (!connection->busy && !connection->dropped && parseOne(connection)) {
    }
}

bool TestHttpServer::parseOne(Connection *connection)
{
    QByteArray &buffer = connection->buffer;
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return false;

    RecordedRequest request;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    const QByteArray protocol = requestLine.value(2);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).endsWith('\r') ? lines.at(i).chopped(1) : lines.at(i);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        request.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    const qint64 contentLength = request.header("Content-Length").value_or("0").toLongLong();
    const qsizetype total = headEnd + 4 + contentLength;
    if (buffer.size() < total)
        return false;

    request.body = buffer.mid(headEnd + 4, contentLength);
    request.raw = buffer.left(total);
    request.connection = connection->serial;
    buffer.remove(0, total);

    const std::optional<QByteArray> connectionHeader = request.header("Connection");
    const bool keepAlive =
        protocol == "HTTP/1.1"
            ? !(connectionHeader && connectionHeader->compare("close", Qt::CaseInsensitive) == 0)
            : (connectionHeader && connectionHeader->compare("keep-alive", Qt::CaseInsensitive) == 0);

    m_requests.append(request);
    TestResponse response = answerFor(request);
    connection->busy = true;
    Q_EMIT requestReceived();
    if (connection->dropped)
        return false;
    respond(connection, std::move(response), keepAlive);
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
    if (m_fallback)
        return m_fallback(request);
    return TestResponse::text("Not Found", 404);
}

void TestHttpServer::respond(Connection *connection, TestResponse response, bool keepAlive)
{
    if (response.delayMs > 0) {
        const int delay = response.delayMs;
        response.delayMs = 0;
        QTimer::singleShot(delay, connection, [this, connection, response, keepAlive] {
            if (!connection->dropped)
                respond(connection, response, keepAlive);
        });
        return;
    }

    QTcpSocket *socket = connection->socket;
    using Fault = TestResponse::Fault;
    if (response.fault == Fault::noAnswer)
        return; // stays busy: nothing more is read or answered on this connection
    if (response.fault == Fault::closeWithoutAnswer || response.fault == Fault::raw) {
        if (response.fault == Fault::raw)
            socket->write(response.body);
        socket->disconnectFromHost();
        return;
    }

    const bool noBody = statusHasNoBody(response.status);
    const bool halfBody = response.fault == Fault::closeMidBody || response.fault == Fault::stallMidBody;
    const bool chunked = response.chunked && !noBody && !halfBody;
    const bool closeAfter = !keepAlive || halfBody;

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) +
                      (response.status == 200 ? " OK\r\n" : " Status\r\n");
    for (const auto &[name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (!noBody)
        head += "Content-Length: " + QByteArray::number(response.body.size() + response.fillerBytes) + "\r\n";
    head += closeAfter && !halfBody ? "Connection: close\r\n\r\n" : "Connection: keep-alive\r\n\r\n";
    socket->write(head);

    if (halfBody) {
        socket->write(response.body.left(response.body.size() / 2));
        socket->flush();
        if (response.fault == Fault::closeMidBody)
            socket->disconnectFromHost();
        return; // a stalled one stays busy for ever
    }
    if (noBody) {
        finishResponse(connection);
        if (closeAfter)
            socket->disconnectFromHost();
        return;
    }

    if (chunked) {
        if (!response.body.isEmpty())
            socket->write(QByteArray::number(response.body.size(), 16) + "\r\n" + response.body + "\r\n");
    } else {
        socket->write(response.body);
    }
    connection->chunked = chunked;
    connection->fillerLeft = response.fillerBytes;
    connection->closeWhenWritten = closeAfter;
    connection->streaming = true;
    streamFiller(connection);
}

void TestHttpServer::streamFiller(Connection *connection)
{
    if (connection->dropped || !connection->streaming)
        return;
    QTcpSocket *socket = connection->socket;
    static const QByteArray block(fillerChunk, 'x');
    while (connection->fillerLeft > 0 && socket->bytesToWrite() < writeHighWater) {
        const QByteArray piece = block.left(std::min(connection->fillerLeft, fillerChunk));
        connection->fillerLeft -= piece.size();
        if (connection->chunked)
            socket->write(QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
        else
            socket->write(piece);
    }
    if (connection->fillerLeft > 0)
        return;
    if (connection->chunked) {
        socket->write("0\r\n\r\n");
        connection->chunked = false;
    }
    const bool close = connection->closeWhenWritten;
    finishResponse(connection);
    if (close)
        socket->disconnectFromHost(); // waits until everything written has gone out
}

void TestHttpServer::finishResponse(Connection *connection)
{
    connection->busy = false;
    connection->streaming = false;
    connection->fillerLeft = 0;
    connection->closeWhenWritten = false;
    // The next request on a kept-alive connection may already be waiting.
    if (!connection->buffer.isEmpty()) {
        QTimer::singleShot(0, connection, [this, connection] {
            if (!connection->dropped)
                readFrom(connection);
        });
    }
}

void TestHttpServer::drop(Connection *connection)
{
    if (connection->dropped)
        return;
    connection->dropped = true;
    m_connections.removeOne(connection);
    connection->socket->disconnect(connection);
    connection->deleteLater();
}
