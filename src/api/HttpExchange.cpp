// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HttpExchange.h"

#include "CertificateError.h"
#include "Logging.h"
#include "NetworkError.h"
#include "TransportError.h"
#include "model/ServerConfig.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QNetworkReply>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include <qcoro/qcorosignal.h>

#include <memory>

namespace {

struct ReadState
{
    QByteArray body;
    bool timedOut = false;
    bool tooLarge = false;
    qint64 announced = -1; // the Content-Length, when the server sent one
    QList<QSslError> sslErrors; // of the handshake, when Qt reported any
    QSslCertificate presented;

    // Appends what the reply holds, read straight into the body.
    void readFrom(QNetworkReply *reply, qint64 available)
    {
        const qsizetype at = body.size();
        body.resize(at + qsizetype(available));
        const qint64 read = reply->read(body.data() + at, available);
        body.truncate(at + qsizetype(std::max<qint64>(read, 0)));
    }
};

// Qt reports an HTTP error status as an error code of its own; those answers are still HTTP
// answers whose status the caller maps. Every other code means the exchange itself failed.
// A 407 comes from a reverse proxy (the client configures no forward proxy): an answer too.
bool comesFromHttpStatus(QNetworkReply::NetworkError error)
{
    const int code = int(error);
    if (error == QNetworkReply::ContentReSendError)
        return false;
    return error == QNetworkReply::ProtocolInvalidOperationError ||
           error == QNetworkReply::ProxyAuthenticationRequiredError || (code >= 201 && code <= 299) ||
           (code >= 401 && code <= 499);
}

QString methodName(const QNetworkReply *reply)
{
    switch (reply->operation()) {
    case QNetworkAccessManager::GetOperation:
        return QStringLiteral("GET");
    case QNetworkAccessManager::PostOperation:
        return QStringLiteral("POST");
    case QNetworkAccessManager::PutOperation:
        return QStringLiteral("PUT");
    case QNetworkAccessManager::DeleteOperation:
        return QStringLiteral("DELETE");
    case QNetworkAccessManager::HeadOperation:
        return QStringLiteral("HEAD");
    default:
        return QString::fromLatin1(reply->request().attribute(QNetworkRequest::CustomVerbAttribute).toByteArray());
    }
}

} // namespace

ConnectionSettings ConnectionSettings::forProfile(const ServerConfig &server, const ServerSecrets &secrets)
{
    ConnectionSettings settings;
    settings.tls = QSslConfiguration::defaultConfiguration();
    settings.address = server.host + QLatin1Char(':') + QString::number(server.port);
    switch (server.certificateTrust) {
    case CertificateTrust::system:
        break;
    case CertificateTrust::customCA:
        // Qt loads the system's store on demand only while no CA was given: adding one alone
        // would drop the system's.
        settings.tls.setCaCertificates(QSslConfiguration::systemCaCertificates() +
                                       CertificateError::certificatesIn(server.caCertificate));
        break;
    case CertificateTrust::pinned: {
        // No issuer is trusted: every certificate, one the system trusts too, meets the pin.
        settings.tls.setCaCertificates({});
        const QList<QSslCertificate> pinned = CertificateError::certificatesIn(server.pinnedCertificate);
        if (!pinned.isEmpty()) {
            settings.pinnedCertificate = pinned.first();
            settings.pinnedFingerprint = CertificateError::fingerprint(pinned.first());
        }
        break;
    }
    }
    switch (server.proxyAuthentication) {
    case ProxyAuthentication::none:
        break;
    case ProxyAuthentication::basic:
        settings.proxyHeaders.append(
            {"Authorization",
             "Basic " +
                 (server.proxyUsername + QLatin1Char(':') + secrets.proxyPassword).toUtf8().toBase64()});
        break;
    case ProxyAuthentication::headers:
        for (qsizetype i = 0; i < server.proxyHeaderNames.size(); ++i) {
            const QByteArray name = server.proxyHeaderNames[i].trimmed().toLatin1();
            if (!name.isEmpty())
                settings.proxyHeaders.append({name, secrets.headerValues.value(i).toUtf8()});
        }
        break;
    }
    if (server.useApiKey)
        settings.apiKeyAuthorization = "Bearer " + secrets.apiKey.trimmed().toUtf8();
    return settings;
}

bool HttpAnswer::isWebPage() const
{
    if (contentType.trimmed().toLower().startsWith("text/html"))
        return true;
    for (const char c : body) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return c == '<';
    }
    return false;
}

bool HttpAnswer::asksForBasic() const
{
    return wwwAuthenticate.trimmed().toLower().startsWith("basic");
}

void checkIntermediary(const HttpAnswer &answer)
{
    const int status = answer.statusCode;
    if (status == 407 || (status == 401 && answer.asksForBasic()))
        throw NetworkError::proxyAuthenticationFailed();
    if (status == 502 || status == 503 || status == 504)
        throw NetworkError::proxyUnreachable(status);
    if (answer.isWebPage())
        throw NetworkError::htmlPage();
}

QNetworkRequest makeRequest(const QUrl &url, const HttpLimits &limits, const ConnectionSettings &settings,
                            const QByteArray &contentType, bool anonymous)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(limits.idleTimeoutMs);
    // A redirect keeps every header of the request: the proxy credentials, the secret headers
    // and the API key must not follow one to another host (a sign-on page, say).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    if (!contentType.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    // Asked for here, the encoding is left alone by Qt, which would inflate on this thread.
    if (limits.keepCompressed)
        request.setRawHeader("Accept-Encoding", "gzip");
    if (url.scheme() == QLatin1String("https"))
        request.setSslConfiguration(settings.tls);
    for (const auto &[name, value] : settings.proxyHeaders)
        request.setRawHeader(name, value);
    // A proxy that asks for Basic owns the Authorization header: the key could not pass it.
    if (settings.usesApiKey() && !anonymous && !request.hasRawHeader("Authorization"))
        request.setRawHeader("Authorization", settings.apiKeyAuthorization);
    if (anonymous || settings.usesApiKey()) {
        request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    }
    return request;
}

QList<QSslError> errorsAcceptedByPin(const QList<QSslError> &errors, const QSslCertificate &presented,
                                     const QList<QSslCertificate> &chain, const QSslCertificate &pinned)
{
    if (pinned.isNull() || presented.isNull() ||
        presented.digest(QCryptographicHash::Sha256) != pinned.digest(QCryptographicHash::Sha256))
        return {};
    QList<QSslError> accepted;
    for (const QSslError &error : errors) {
        // Issuer errors of a chain the server sent name the certificate they are about (its
        // root, say); the pin vouches for the server's own certificate, not for an issuer.
        const QSslCertificate about = error.certificate();
        const bool ofPresented = about.isNull() || about == presented || chain.contains(about);
        if (!CertificateError::isAcceptedByPin(error.error()) || !ofPresented)
            return {};
        accepted.append(QSslError(error.error(), about.isNull() ? pinned : about));
    }
    return accepted;
}

QCoro::Task<HttpAnswer> receiveAnswer(QNetworkReply *rawReply, HttpLimits limits, ConnectionSettings settings)
{
    QPointer<QNetworkReply> reply(rawReply);
    auto state = std::make_shared<ReadState>();
    // One debug line per exchange, however it ends. The path only: a query may carry names
    // of torrents, and nothing of a header.
    QElapsedTimer elapsed;
    elapsed.start();
    const QString exchange = methodName(rawReply) + u' ' + rawReply->request().url().path();
    int answeredStatus = 0;
    qsizetype answeredBytes = 0;
    const auto trace = qScopeGuard([&] {
        if (answeredStatus)
            qCDebug(lcApi).noquote() << exchange << "->" << answeredStatus << "in" << elapsed.elapsed() << "ms,"
                                     << answeredBytes << "bytes";
        else
            qCDebug(lcApi).noquote() << exchange << "-> no answer:"
                                     << (reply ? reply->error() : QNetworkReply::OperationCanceledError) << "after"
                                     << elapsed.elapsed() << "ms";
    });
    const auto release = qScopeGuard([reply] {
        if (reply)
            reply->deleteLater();
    });

    auto *deadline = new QTimer(rawReply);
    deadline->setSingleShot(true);
    deadline->setInterval(limits.totalTimeoutMs);
    QObject::connect(deadline, &QTimer::timeout, rawReply, [rawReply, state] {
        state->timedOut = true;
        rawReply->abort();
    });
    QObject::connect(rawReply, &QNetworkReply::metaDataChanged, rawReply, [rawReply, state, limits] {
        const QVariant length = rawReply->header(QNetworkRequest::ContentLengthHeader);
        state->announced = length.isValid() ? length.toLongLong() : -1;
        if (length.isValid() && length.toLongLong() > limits.maxResponseBytes) {
            state->tooLarge = true;
            rawReply->abort();
        } else if (length.isValid() && length.toLongLong() > state->body.capacity()) {
            // The body is read into one array of its announced size (a full sync of a big
            // server is some 15 MB) instead of one grown, and copied, step by step.
            state->body.reserve(qsizetype(length.toLongLong()));
        }
    });
    // Draining on every readyRead keeps Qt's own buffer small; the copy here is bounded.
    QObject::connect(rawReply, &QNetworkReply::readyRead, rawReply, [rawReply, state, limits] {
        if (state->tooLarge)
            return;
        const qint64 available = rawReply->bytesAvailable();
        if (state->body.size() + available > limits.maxResponseBytes) {
            state->tooLarge = true;
            state->body.clear();
            rawReply->abort();
            return;
        }
        state->readFrom(rawReply, available);
        // Qt's own downloadProgress is choked to one signal in 150 ms, the first of them 150 ms
        // after the request: a piece that comes sooner, then a pause, would go untold.
        if (limits.progress)
            limits.progress(state->body.size(), state->announced);
    });
    // Qt asks while the handshake waits: what is ignored here is all it overlooks. The
    // handshake fails before any request byte (or cookie) leaves.
    const QSslCertificate pinned = settings.pinnedCertificate;
    QObject::connect(rawReply, &QNetworkReply::sslErrors, rawReply,
                     [rawReply, state, pinned](const QList<QSslError> &errors) {
                         const QSslConfiguration tls = rawReply->sslConfiguration();
                         QSslCertificate presented = tls.peerCertificate();
                         for (qsizetype i = 0; presented.isNull() && i < errors.size(); ++i)
                             presented = errors[i].certificate();
                         state->sslErrors = errors;
                         state->presented = presented;
                         const QList<QSslError> accepted =
                             errorsAcceptedByPin(errors, presented, tls.peerCertificateChain(), pinned);
                         qCDebug(lcApiTls).noquote()
                             << rawReply->url().host() << "presented"
                             << presented.digest(QCryptographicHash::Sha256).toHex(':').toUpper() << "with"
                             << errors.size() << "errors, accepted by the pin:" << accepted.size();
                         if (!accepted.isEmpty())
                             rawReply->ignoreSslErrors(accepted);
                     });
    deadline->start();

    if (!rawReply->isFinished())
        co_await qCoro(rawReply, &QNetworkReply::finished);
    if (!reply)
        throw TransportError(QNetworkReply::OperationCanceledError);
    deadline->stop();

    if (state->tooLarge)
        throw NetworkError::responseTooLarge(limits.maxResponseBytes);
    const QNetworkReply::NetworkError error = reply->error();
    if (state->timedOut || error == QNetworkReply::OperationCanceledError ||
        error == QNetworkReply::TimeoutError)
        throw TransportError(QNetworkReply::TimeoutError, reply->errorString());
    if (error == QNetworkReply::SslHandshakeFailedError && !state->sslErrors.isEmpty())
        throw CertificateError::fromSslErrors(state->sslErrors, state->presented, settings.address,
                                              settings.pinnedFingerprint);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (error != QNetworkReply::NoError && !(status.isValid() && comesFromHttpStatus(error)))
        throw TransportError(error, reply->errorString());
    if (!status.isValid())
        throw NetworkError::invalidResponse();

    const qint64 available = reply->bytesAvailable();
    if (state->body.size() + available > limits.maxResponseBytes)
        throw NetworkError::responseTooLarge(limits.maxResponseBytes);
    state->readFrom(reply, available);
    answeredStatus = status.toInt();
    answeredBytes = state->body.size();
    co_return HttpAnswer{status.toInt(), std::move(state->body), reply->rawHeader("Content-Type"),
                         reply->rawHeader("WWW-Authenticate")};
}
