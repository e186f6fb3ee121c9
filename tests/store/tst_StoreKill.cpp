// A process killed in the middle of a loop of profile saves leaves a database that opens and
// holds every profile whose save had returned.
#include "support/TaskRunner.h"

#include "store/KeychainHelper.h"
#include "store/Persistence.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

const char *const loopVariable = "SEEDWHIRL_SAVE_LOOP_FILE";

// The child: saves profiles until it is killed, printing each id once its save returned.
int saveForever(const QString &path)
{
    PersistenceController store(path);
    if (const auto failure = store.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*failure));
        return 2;
    }
    KeychainHelper keychain(QStringLiteral("app.seedwhirl.tests.kill"));
    ServerRepository repository(store, keychain);
    for (int i = 0;; ++i) {
        ServerConfig server = ServerConfig::create(QStringLiteral("profile %1").arg(i),
                                                   QStringLiteral("10.0.0.%1").arg(i % 250), 8080,
                                                   QStringLiteral("admin"), i % 3 == 0);
        const auto outcome = runTask(repository.addServer(server, QStringLiteral("pw")));
        if (!outcome.ok())
            return 3;
        if (i % 5 == 0)
            repository.setActiveServer(server.id);
        std::printf("%s\n", qPrintable(server.accountName()));
        std::fflush(stdout);
    }
}

} // namespace

class TestStoreKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedMidLoopKeepsEverySavedProfile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Seedwhirl.sqlite"));
        for (int round = 0; round < 3; ++round) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QString::fromLatin1(loopVariable), path);
            child.setProcessEnvironment(environment);
            child.setReadChannel(QProcess::StandardOutput);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());

            // Every id printed before the kill was saved.
            QStringList saved;
            const int wanted = 15 + round * 10;
            while (saved.size() < wanted && child.waitForReadyRead(10'000)) {
                while (child.canReadLine())
                    saved.append(QString::fromLatin1(child.readLine()).trimmed());
            }
            QVERIFY2(saved.size() >= wanted, child.readAllStandardError().constData());
            child.kill(); // SIGKILL: no clean-up of any kind
            QVERIFY(child.waitForFinished());
            while (child.canReadLine())
                saved.append(QString::fromLatin1(child.readLine()).trimmed());

            PersistenceController store(path);
            const auto failure = store.open();
            QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
            QSet<QString> stored;
            int active = 0;
            QSqlQuery query(store.database());
            QVERIFY(query.exec(QStringLiteral("SELECT id, isActive FROM ServerConfigEntity")));
            while (query.next()) {
                stored.insert(query.value(0).toString());
                active += query.value(1).toInt();
            }
            for (const QString &id : saved)
                QVERIFY2(stored.contains(id), qPrintable(QStringLiteral("lost profile ") + id));
            QVERIFY(active <= 1);
        }
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(loopVariable))
        return saveForever(qEnvironmentVariable(loopVariable));
    TestStoreKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StoreKill.moc"
