#include "E2EServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTest>

#include <stdexcept>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

} // namespace

E2EServer E2EServer::fromEnvironment()
{
    const QString envPath = qEnvironmentVariable("SEEDWHIRL_E2E_ENV");
    if (envPath.isEmpty())
        fail(QStringLiteral(
            "SEEDWHIRL_E2E_ENV is not set: run e2e tests through ctest, which starts the server"));
    QFile file(envPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(QStringLiteral("cannot read %1: did the fixture test e2e_server_start run?").arg(envPath));

    QHash<QString, QString> values;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1));
    }
    const auto value = [&](const char *key) {
        const QString name = QStringLiteral("SEEDWHIRL_E2E_") + QLatin1String(key);
        const auto it = values.constFind(name);
        if (it == values.constEnd() || it->isEmpty())
            fail(QStringLiteral("%1 has no %2").arg(envPath, name));
        return *it;
    };

    E2EServer server;
    server.host = value("HOST");
    bool ok = false;
    const uint port = value("PORT").toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        fail(QStringLiteral("%1 has no usable port").arg(envPath));
    server.port = quint16(port);
    server.username = value("USERNAME");
    server.password = value("PASSWORD");
    server.savePath = value("SAVE_PATH");
    server.profile = value("PROFILE");
    server.stateDir = value("STATE_DIR");
    server.python = value("PYTHON");
    server.tool = value("TOOL");
    return server;
}

ServerConfig E2EServer::serverConfig(const QString &name) const
{
    return ServerConfig::create(name, host, port, username, false);
}

QString E2EServer::freshDirectory(const QString &name) const
{
    QDir dir(savePath + QLatin1Char('/') + name);
    if ((dir.exists() && !dir.removeRecursively()) || !dir.mkpath(QStringLiteral(".")))
        fail(QStringLiteral("cannot create ") + dir.path());
    return dir.path();
}

QString E2EServer::restart(int timeoutMs) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(python, {tool, QStringLiteral("restart"), stateDir, QStringLiteral("--timeout"),
                           QString::number(qMax(1, timeoutMs / 2000))});
    if (!process.waitForStarted(5'000))
        return QStringLiteral("cannot run %1: %2").arg(python, process.errorString());
    // The event loop keeps running meanwhile: the stopping server announces its torrents'
    // stop, and a tracker in this process must answer or the shutdown waits for its time-out.
    const bool finished = pollUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs, 20);
    if (!finished) {
        process.kill();
        process.waitForFinished(5'000);
        return QStringLiteral("the restart did not finish within %1 ms").arg(timeoutMs);
    }
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("the restart failed: ") + output;
    if (output != QStringLiteral("PORT %1").arg(port))
        return QStringLiteral("the server came back elsewhere: ") + output;
    return {};
}

bool pollUntil(const std::function<bool()> &condition, int timeoutMs, int intervalMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        if (condition())
            return true;
        if (deadline.hasExpired())
            return false;
        QTest::qWait(int(qMin<qint64>(intervalMs, qMax<qint64>(1, deadline.remainingTime()))));
    }
}
