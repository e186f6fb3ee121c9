// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DemoProfile.h"
#include "KeychainPasswords.h"
#include "LinkInbox.h"
#include "UiSetup.h"

#include "model/Allocator.h"
#include "model/AppInfo.h"
#include "model/Log.h"
#include "api/QBittorrentAPIClient.h"
#include "store/AppSettings.h"
#include "store/Persistence.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/CompletionNotifier.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

int main(int argc, char *argv[])
{
    // Before anything can log: the diagnostic lines go to standard output from the first one.
    installLogHandler();
    tuneAllocatorForLargeAnswers();
    QGuiApplication app(argc, argv);
    setApplicationIdentity();
    installTranslations();
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
    parser.addPositionalArgument(QStringLiteral("links"),
                                 QStringLiteral("Magnet links, URLs of .torrent files or .torrent files to add."),
                                 QStringLiteral("[links...]"));
    parser.process(app);

    // One instance per user: a later start hands its links to the running one and ends.
    QStringList links;
    for (const QString &argument : parser.positionalArguments()) {
        const QString link = LinkInbox::linkOf(argument, QDir::currentPath());
        if (link.isEmpty())
            std::fprintf(stderr, "not a torrent link or file: %s\n", argument.toLocal8Bit().constData());
        else
            links.append(link);
    }
    if (LinkInbox::shared().handOverOrClaim(links))
        return 0;
    LinkInbox::shared().deliver(links);

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
