#pragma once

#include <QObject>
#include <QString>

// `TestSupport` in the QML tests: puts recorded server answers into real models and reaches
// what a screen cannot (the credential store).
class TestSupport : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Merges a recorded sync answer into a TorrentListViewModel's repository, as a sync pass
    // would.
    Q_INVOKABLE void applyFixture(QObject *torrentListViewModel, const QString &fixtureName);
    // Removes a profile's stored password (the profile id as its upper-case UUID text).
    Q_INVOKABLE bool forgetPassword(const QString &profileId);
    Q_INVOKABLE QString fixtureText(const QString &fixtureName);
    // A local server and a client logged in to it; destroy() it when the test is done.
    Q_INVOKABLE QObject *startSession();
};
