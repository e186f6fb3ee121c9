// The credential store against the real Secret Service of a private session, under a
// service name of its own.
#include "support/TaskRunner.h"

#include "store/KeychainHelper.h"

#include <QTest>
#include <QUuid>

#include <qt6keychain/keychain.h>

namespace {

const QString service = QStringLiteral("app.seedwhirl.Seedwhirl.tests.keychain");

// Writes raw bytes as a secret, bypassing the helper (to plant what it would never write).
bool writeRaw(const QString &account, const QByteArray &bytes)
{
    QKeychain::WritePasswordJob job(service);
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    job.setKey(account);
    job.setBinaryData(bytes);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError;
}

} // namespace

class KeychainTest : public QObject
{
    Q_OBJECT

private:
    KeychainHelper keychain{service};
    QString account;

    std::optional<QString> read(const QString &name)
    {
        const auto outcome = runTask(keychain.getPassword(name));
        return outcome.ok() ? *outcome.value : std::optional<QString>(QStringLiteral("<getPassword failed>"));
    }
    bool save(const QString &password, const QString &name)
    {
        return runTask(keychain.savePassword(password, name)).ok();
    }
    bool remove(const QString &name)
    {
        const auto outcome = runTask(keychain.deletePassword(name));
        return outcome.ok() && *outcome.value;
    }

private Q_SLOTS:
    void init() { account = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }
    void cleanup() { runTask(keychain.deletePassword(account)); }

    // One entry holding the second password: after one delete nothing is left.
    void saveTwiceKeepsTheSecond()
    {
        QVERIFY(save(QStringLiteral("first"), account));
        QVERIFY(save(QStringLiteral("second"), account));
        QCOMPARE(read(account), std::optional<QString>(QStringLiteral("second")));
        QVERIFY(remove(account));
        QCOMPARE(read(account), std::nullopt);
    }

    void emptyPasswordIsPresent()
    {
        QVERIFY(save(QString(), account));
        const std::optional<QString> password = read(account);
        QVERIFY(password.has_value());
        QVERIFY(password->isEmpty());
    }

    void missingIsAbsent() { QCOMPARE(read(account), std::nullopt); }

    void deletingMissingSucceeds()
    {
        QVERIFY(remove(account));
        QVERIFY(save(QStringLiteral("x"), account));
        QVERIFY(remove(account));
        QVERIFY(remove(account));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("chinese and umlauts") << QStringLiteral("密码 pässwörd");
        QTest::newRow("emoji") << QStringLiteral("🔑🗝️");
        QTest::newRow("reserved characters") << QStringLiteral("a&b=c+d%e f\"g'h\\i");
        QTest::newRow("line breaks and tab") << QStringLiteral("line1\nline2\r\n\t");
        QTest::newRow("leading byte order mark") << QStringLiteral("\uFEFFbom");
        QTest::newRow("spaces only") << QStringLiteral("   ");
        QTest::newRow("long") << QString(10'000, QLatin1Char('x'));
    }

    void roundTrip()
    {
        QFETCH(QString, password);
        QVERIFY(save(password, account));
        QCOMPARE(read(account), std::optional<QString>(password));
    }

    void accountsAndServicesAreSeparate()
    {
        const QString other = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        QVERIFY(save(QStringLiteral("mine"), account));
        QCOMPARE(read(other), std::nullopt);

        KeychainHelper elsewhere(service + QStringLiteral(".other"));
        QCOMPARE(runTask(elsewhere.getPassword(account)).value.value_or(std::nullopt), std::nullopt);
        QVERIFY(runTask(elsewhere.deletePassword(account)).value.value_or(false));
        QCOMPARE(read(account), std::optional<QString>(QStringLiteral("mine")));
    }

    // A secret that is not UTF-8 is no password at all.
    void undecodableSecretIsAbsent()
    {
        QVERIFY(writeRaw(account, QByteArray("\xff\xfe\x00\x80", 4)));
        QCOMPARE(read(account), std::nullopt);
        QVERIFY(save(QStringLiteral("fixed"), account));
        QCOMPARE(read(account), std::optional<QString>(QStringLiteral("fixed")));
    }

    void errorTexts()
    {
        QCOMPARE(KeychainError(KeychainError::Kind::saveFailed, -25299).localizedDescription(),
                 QStringLiteral("保存密码失败: -25299"));
        QCOMPARE(KeychainError(KeychainError::Kind::deleteFailed, 5).localizedDescription(),
                 QStringLiteral("删除密码失败: 5"));
    }
};

QTEST_GUILESS_MAIN(KeychainTest)
#include "tst_Keychain.moc"
