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
    job.setKey(account);
    job.setBinaryData(bytes);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    return job.error() == QKeychain::NoError;
}

QString newAccount()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

class KeychainTest : public QObject
{
    Q_OBJECT

private:
    KeychainHelper keychain{service};
    QString account;

    std::optional<QString> read(const QString &name, KeychainHelper *from = nullptr)
    {
        const auto outcome = runTask((from ? *from : keychain).getPassword(name));
        return outcome.ok() ? *outcome.value : std::optional<QString>(QStringLiteral("<getPassword failed>"));
    }
    bool save(const QString &password) { return runTask(keychain.savePassword(password, account)).ok(); }
    bool remove(const QString &name) { return runTask(keychain.deletePassword(name)).value.value_or(false); }

private Q_SLOTS:
    void init() { account = newAccount(); }
    void cleanup() { runTask(keychain.deletePassword(account)); }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("empty is present") << QString();
        QTest::newRow("chinese and umlauts") << QStringLiteral("密码 pässwörd");
        QTest::newRow("emoji") << QStringLiteral("🔑🗝️");
        QTest::newRow("reserved characters") << QStringLiteral("a&b=c+d%e f\"g'h\\i");
        QTest::newRow("line breaks and tab") << QStringLiteral("line1\nline2\r\n\t");
        QTest::newRow("leading byte order mark") << QStringLiteral("\uFEFFbom");
        QTest::newRow("long") << QString(10'000, QLatin1Char('x'));
    }

    // Saved over an older password, read back exactly; one entry, so one delete leaves none,
    // and deleting what is not there succeeds.
    void roundTrip()
    {
        QFETCH(QString, password);
        QCOMPARE(read(account), std::nullopt);
        QVERIFY(save(QStringLiteral("older")));
        QVERIFY(save(password));
        QCOMPARE(read(account), std::optional<QString>(password));
        QVERIFY(remove(account));
        QCOMPARE(read(account), std::nullopt);
        QVERIFY(remove(account));
    }

    void accountsAndServicesAreSeparate()
    {
        QVERIFY(save(QStringLiteral("mine")));
        QCOMPARE(read(newAccount()), std::nullopt);
        KeychainHelper elsewhere(service + QStringLiteral(".other"));
        QCOMPARE(read(account, &elsewhere), std::nullopt);
        QVERIFY(runTask(elsewhere.deletePassword(account)).value.value_or(false));
        QCOMPARE(read(account), std::optional<QString>(QStringLiteral("mine")));
    }

    // A secret that is not UTF-8 is no password at all, and a save replaces it.
    void undecodableSecretIsAbsent()
    {
        QVERIFY(writeRaw(account, QByteArray("\xff\xfe\x00\x80", 4)));
        QCOMPARE(read(account), std::nullopt);
        QVERIFY(save(QStringLiteral("fixed")));
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
