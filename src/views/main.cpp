#include "DemoProfile.h"
#include "KeychainPasswords.h"
#include "UiSetup.h"

#include "model/Allocator.h"
#include "model/AppInfo.h"
#include "api/QBittorrentAPIClient.h"
#include "store/AppSettings.h"
#include "store/Persistence.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/CompletionNotifier.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

int main(int argc, char *argv[])
{
    tuneAllocatorForLargeAnswers();
    QGuiApplication app(argc, argv);
    setApplicationIdentity();
    QGuiApplication::setApplicationVersion(appVersion());

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption connectOption(
        QStringLiteral("connect"),
        QStringLiteral(
            "Save a profile for HOST:PORT (password in SEEDWHIRL_PASSWORD) and start connected to it."),
        QStringLiteral("HOST:PORT"));
    parser.addOption(connectOption);
    parser.process(app);

    // The profile store opens before any screen; without it there is nothing to show. The
    // file is left as it is for the user to look at or restore.
    if (const auto failure = PersistenceController::openShared()) {
        std::fprintf(stderr, "%s\n", failure->toUtf8().constData());
        return 1;
    }
    reloginWithStoredPasswords();
    if (parser.isSet(connectOption)) {
        if (const auto failure = connectAtStart(parser.value(connectOption))) {
            std::fprintf(stderr, "cannot connect at start: %s\n", failure->toUtf8().constData());
            return 1;
        }
    }

    // Finished downloads of the connected server, told to the desktop while the application runs.
    QBittorrentAPIClient &client = QBittorrentAPIClient::shared();
    const CompletionNotifier notifier(client, TorrentRepository::shared(client), AppSettings::shared());

    applyApplicationStyle();
    QQmlApplicationEngine engine;
    prepareQmlEngine(engine);
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Seedwhirl/qml/Main.qml")));
    return app.exec();
}
