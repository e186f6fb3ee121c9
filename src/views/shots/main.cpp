// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

// seedwhirl_shots: screenshots of the main screens, taken from the application's own window
// against a running server. Usage:
//   seedwhirl_shots --server HOST:PORT --out DIR    (password in SEEDWHIRL_PASSWORD,
//                                                    user in SEEDWHIRL_USER or "admin")
// Run it with QT_QPA_PLATFORM=offscreen inside a private D-Bus session with a keyring (the
// profiles' passwords go to the credential store); `./dev shots` does all of that against the
// demo server. The profiles and settings live in a folder of their own that is removed at
// the end, so the first screen is always the welcome screen without profiles.

#include "KeychainPasswords.h"
#include "LinkInbox.h"
#include "Relay.h"
#include "ScreenDriver.h"
#include "UiSetup.h"

#include "api/CertificateError.h"
#include "api/QBittorrentAPIClient.h"
#include "model/AppInfo.h"
#include "model/ServerConfig.h"
#include "model/Torrent.h"
#include "store/Persistence.h"
#include "sync/TorrentRepository.h"
#include "viewmodels/DetailListModels.h"
#include "viewmodels/StatisticsFigures.h"

#include <QAbstractItemModel>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtQml/qqmlextensionplugin.h>

#include <cmath>

#include <qcoro/qcorotask.h>

#include <cstdio>
#include <optional>

Q_IMPORT_QML_PLUGIN(SeedwhirlPlugin)

namespace {

struct Target
{
    QString host;
    int port = 0;
    QString user;
    QString password;
};

std::optional<Target> parseTarget(const QString &address)
{
    const int colon = address.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const int port = colon > 0 ? address.mid(colon + 1).toInt(&ok) : 0;
    if (!ok || port < 1 || port > 65535)
        return std::nullopt;
    return Target{address.left(colon), port, qEnvironmentVariable("SEEDWHIRL_USER", QStringLiteral("admin")),
                  qEnvironmentVariable("SEEDWHIRL_PASSWORD")};
}

// Saves a profile the way the add-server form does; the message of what failed otherwise.
std::optional<QString> saveProfile(const ServerConfig &server, const QString &password)
{
    auto save = [](ServerConfig server, QString password) -> QCoro::Task<std::optional<QString>> {
        try {
            co_await ServerRepository::shared().addServer(server, password);
        } catch (const AppError &error) {
            co_return error.localizedDescription();
        }
        co_return std::nullopt;
    };
    return QCoro::waitFor(save(server, password));
}

// A click of that mouse button on the item, a third of the way in, as the window gets it.
void clickOn(QQuickItem *item, Qt::MouseButton button)
{
    QQuickWindow *window = item->window();
    const QPointF at = item->mapToScene(QPointF(item->width() / 3, item->height() / 2));
    QMouseEvent press(QEvent::MouseButtonPress, at, at, window->mapToGlobal(at), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, at, window->mapToGlobal(at), button, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(window, &release);
}

QQuickItem *rowAt(QObject *view, int index)
{
    QQuickItem *row = nullptr;
    QMetaObject::invokeMethod(view, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row), Q_ARG(int, index));
    return row;
}

int rowCount(ScreenDriver &driver, QObject *view)
{
    return driver.get(view, "count").toInt();
}

// Shows a sheet by its screen's flag, shoots it once its page is there and ready, and closes it.
bool shootSheet(ScreenDriver &driver, const QString &shot, QObject *screen, const char *flag,
                const QString &sheetName, const std::function<bool(QObject *page)> &prepare = {})
{
    driver.setShot(shot);
    QObject *sheet = driver.find(sheetName, screen);
    if (!driver.set(screen, flag, true) || !driver.waitOpened(sheet, sheetName))
        return false;
    QObject *page = driver.get(sheet, "item").value<QObject *>();
    if (!driver.waitUntil(sheetName + QStringLiteral("'s page"),
                          [&] { return (page = driver.get(sheet, "item").value<QObject *>()) != nullptr; }))
        return false;
    if (prepare && !prepare(page))
        return false;
    if (!driver.shoot(shot))
        return false;
    return driver.set(screen, flag, false) && driver.waitOverlayClear(sheetName);
}

bool run(ScreenDriver &driver, const Target &target, Relay &relay)
{
    // Welcome screen, no profiles.
    driver.setShot(QStringLiteral("welcome-empty"));
    QObject *welcome = driver.waitFor(QStringLiteral("welcomeView"));
    QObject *guide = driver.find(QStringLiteral("guideCards"), welcome);
    if (!driver.waitUntil(QStringLiteral("the guide cards to fade in"),
                          [&] { return guide && driver.get(guide, "opacity").toDouble() >= 1.0; }) ||
        !driver.waitUntil(
            QStringLiteral("the add-first-server button"),
            [&] {
                return driver.get(driver.find(QStringLiteral("addFirstServerButton"), welcome), "visible")
                    .toBool();
            }) ||
        !driver.shoot(QStringLiteral("welcome-empty")))
        return false;

    // Welcome screen with two saved profiles: the demo server and one that is only listed.
    driver.setShot(QStringLiteral("welcome-servers"));
    // Through the relay, which can make the line slow or lose it.
    const ServerConfig demo = ServerConfig::create(QStringLiteral("演示服务器"), QStringLiteral("127.0.0.1"),
                                                   relay.port(), target.user, false);
    const ServerConfig other = ServerConfig::create(QStringLiteral("家里的 NAS"), QStringLiteral("nas.local"),
                                                    8080, QStringLiteral("admin"), false);
    for (const auto &[server, password] :
         {std::pair{other, QStringLiteral("unused")}, std::pair{demo, target.password}}) {
        if (const auto failure = saveProfile(server, password))
            return driver.fail(QStringLiteral("cannot save the profile %1: %2").arg(server.name, *failure));
    }
    QObject *rows = driver.find(QStringLiteral("welcomeServerRows"), welcome);
    if (!driver.waitUntil(QStringLiteral("two server rows"), [&] { return rowCount(driver, rows) == 2; }) ||
        !driver.shoot(QStringLiteral("welcome-servers")))
        return false;

    // Connect through the welcome screen's own model; the window turns to the tabs.
    driver.setShot(QStringLiteral("torrent-list"));
    QObject *serverModel = driver.get(welcome, "viewModel").value<QObject *>();
    QVariant demoId;
    auto *profiles =
        qobject_cast<QAbstractItemModel *>(driver.get(serverModel, "servers").value<QObject *>());
    for (int row = 0; profiles && row < profiles->rowCount(); ++row) {
        const QModelIndex index = profiles->index(row, 0);
        if (index.data(Qt::DisplayRole).toString() == demo.name)
            demoId = index.data(profiles->roleNames().key("serverId"));
    }
    if (!demoId.isValid())
        return driver.fail(QStringLiteral("the saved demo profile is not in the welcome screen's list"));
    // On a slow line, the first list tells how far its answer has come.
    driver.setShot(QStringLiteral("first-load-progress"));
    relay.setPace(64);
    if (!driver.call(serverModel, "connectTo", demoId))
        return false;
    QObject *tabs = driver.waitFor(QStringLiteral("mainTabs"));
    QObject *list = driver.waitFor(QStringLiteral("torrentListView"), tabs);
    QObject *rowsView = driver.find(QStringLiteral("torrentList"), list);
    QObject *listModel = driver.get(list, "viewModel").value<QObject *>();
    if (!driver.waitUntil(QStringLiteral("the first list's progress"),
                          [&] { return driver.get(listModel, "loadProgressFraction").toDouble() >= 0.3; }) ||
        !driver.shoot(QStringLiteral("first-load-progress")))
        return false;
    relay.setPace(0);
    driver.setShot(QStringLiteral("torrent-list"));
    if (!driver.waitUntil(
            QStringLiteral("the torrent list to fill"),
            [&] { return rowCount(driver, rowsView) > 0 && !driver.get(listModel, "isLoading").toBool(); }) ||
        !driver.shoot(QStringLiteral("torrent-list")))
        return false;

    // The connection lost: the bar says so and when it retries, the figures are greyed; back
    // once the server answers again.
    driver.setShot(QStringLiteral("offline-bar"));
    relay.cut();
    if (!driver.waitUntil(QStringLiteral("the offline bar"),
                          [&] {
                              return driver.get(listModel, "offline").toBool() &&
                                     !driver.get(listModel, "staleText").toString().isEmpty();
                          }) ||
        !driver.shoot(QStringLiteral("offline-bar")))
        return false;
    if (!relay.restore())
        return driver.fail(QStringLiteral("the relay cannot listen again"));
    if (!driver.call(listModel, "retryNow") ||
        !driver.waitUntil(QStringLiteral("the list online again"),
                          [&] { return !driver.get(listModel, "offline").toBool(); }))
        return false;

    if (!shootSheet(driver, QStringLiteral("filter-sheet"), list, "showingFilterSheet",
                    QStringLiteral("filterPopup")))
        return false;

    if (!shootSheet(
            driver, QStringLiteral("add-torrent"), list, "showingAddTorrent",
            QStringLiteral("addTorrentSheet"), [&](QObject *page) {
                QObject *form = driver.get(page, "viewModel").value<QObject *>();
                return form &&
                       driver.waitUntil(QStringLiteral("the categories of the add form"),
                                        [&] { return !driver.get(form, "isLoadingCategories").toBool(); }) &&
                       driver.set(
                           form, "torrentURL",
                           QStringLiteral("magnet:?xt=urn:btih:c9e15763f722f23e98a29decdfae341b98d53056")) &&
                       driver.set(driver.find(QStringLiteral("urlField"), page), "cursorPosition", 0);
            }))
        return false;

    // A magnet link handed to the application (as another start would) opens the add sheet.
    driver.setShot(QStringLiteral("add-torrent-from-link"));
    const QString magnet = QStringLiteral("magnet:?xt=urn:btih:08ada5a7a6183aae1e09d831df6748d566095a10&dn=Sintel");
    LinkInbox::shared().deliver({magnet});
    QObject *addSheet = driver.find(QStringLiteral("addTorrentSheet"), list);
    if (!driver.waitOpened(addSheet, QStringLiteral("the add sheet of the link")) ||
        !driver.waitUntil(QStringLiteral("the link in the add sheet"),
                          [&] {
                              QObject *page = driver.get(addSheet, "item").value<QObject *>();
                              return page && driver.get(driver.find(QStringLiteral("urlField"), page), "text") ==
                                                 QVariant(magnet);
                          }) ||
        !driver.set(driver.find(QStringLiteral("urlField"), driver.get(addSheet, "item").value<QObject *>()),
                    "cursorPosition", 0) ||
        !driver.shoot(QStringLiteral("add-torrent-from-link")) || !driver.set(list, "showingAddTorrent", false) ||
        !driver.waitOverlayClear(QStringLiteral("the add sheet of the link")))
        return false;

    // The selection mode with three rows chosen.
    driver.setShot(QStringLiteral("torrent-selection"));
    QObject *torrents = driver.get(list, "torrents").value<QObject *>();
    if (!driver.call(list, "setSelecting", true))
        return false;
    for (int i = 0; i < 3; ++i) {
        if (!driver.call(torrents, "toggleSelected", i))
            return false;
    }
    if (!driver.waitUntil(QStringLiteral("three selected rows"),
                          [&] { return driver.get(torrents, "selectedCount").toInt() == 3; }) ||
        !driver.shoot(QStringLiteral("torrent-selection")) || !driver.call(list, "setSelecting", false))
        return false;

    // Detail of a complete torrent of a folder of files, with a tracker, one shot per tab.
    driver.setShot(QStringLiteral("detail-info"));
    int row = -1;
    for (int i = 0; i < rowCount(driver, rowsView) && row < 0; ++i) {
        QVariant torrent;
        QMetaObject::invokeMethod(torrents, "torrentAt", Q_RETURN_ARG(QVariant, torrent), Q_ARG(int, i));
        if (torrent.value<Torrent>().name == QLatin1String("Blender Open Movies"))
            row = i;
    }
    if (row < 0)
        row = 0;
    if (!driver.call(list, "openDetail", row))
        return false;
    QObject *detail = driver.waitFor(QStringLiteral("torrentDetailView"), tabs);
    QObject *detailModel = driver.get(detail, "viewModel").value<QObject *>();
    if (!driver.waitStackIdle(detail, QStringLiteral("the detail screen")) ||
        !driver.waitUntil(QStringLiteral("the detail lists to load"), [&] {
            return !driver.get(detailModel, "isLoading").toBool() &&
                   rowCount(driver, driver.get(detailModel, "files").value<QObject *>()) > 0 &&
                   rowCount(driver, driver.get(detailModel, "trackers").value<QObject *>()) > 0;
        }))
        return false;
    const QStringList detailShots{QStringLiteral("detail-info"), QStringLiteral("detail-files"),
                                  QStringLiteral("detail-trackers"), QStringLiteral("detail-peers")};
    const QStringList detailLists{QStringLiteral("infoList"), QStringLiteral("filesTab"),
                                  QStringLiteral("trackersTab"), QStringLiteral("peersTab")};
    for (int tab = 0; tab < detailShots.size(); ++tab) {
        driver.setShot(detailShots[tab]);
        QObject *tabList = driver.find(detailLists[tab], detail);
        // The peers of a server without a network are none: that tab shows its load button.
        const int wanted = tab == 3 ? 0 : 1;
        if (!driver.set(detail, "selectedTab", tab) ||
            !driver.waitUntil(detailLists[tab] + QStringLiteral(" to show"),
                              [&] {
                                  return driver.get(tabList, "visible").toBool() &&
                                         rowCount(driver, tabList) >= wanted;
                              }) ||
            !driver.shoot(detailShots[tab]))
            return false;
    }

    // The file tree with a folder left out and two folders open, then the edit menu.
    driver.setShot(QStringLiteral("file-tree"));
    QObject *files = driver.get(detailModel, "files").value<QObject *>();
    const auto fileRows = [&] {
        QStringList names;
        auto *model = qobject_cast<QAbstractItemModel *>(files);
        for (int i = 0; model && i < model->rowCount(); ++i)
            names.append(model->index(i, 0).data(TorrentFilesModel::NameRole).toString() + QLatin1Char('=') +
                         model->index(i, 0).data(TorrentFilesModel::PriorityRole).toString());
        return names;
    };
    if (!driver.set(detail, "selectedTab", 1) || !driver.call(detailModel, "setFilePriority", 2, 0) ||
        !driver.waitUntil(QStringLiteral("the folder Spring left out"),
                          [&] { return fileRows().value(2) == QLatin1String("Spring=0"); }) ||
        !driver.call(files, "toggleExpanded", 1) || !driver.call(files, "toggleExpanded", 2) ||
        !driver.waitUntil(QStringLiteral("two open folders"), [&] { return fileRows().size() == 8; }) ||
        !driver.shoot(QStringLiteral("file-tree")))
        return false;
    driver.setShot(QStringLiteral("edit-menu"));
    // The menu is made when first wanted.
    if (!driver.call(driver.find(QStringLiteral("editButton"), detail), "clicked"))
        return false;
    QObject *editMenu = driver.find(QStringLiteral("torrentEditMenu"), detail);
    if (!driver.waitOpened(editMenu, QStringLiteral("the edit menu")) ||
        !driver.shoot(QStringLiteral("edit-menu")) || !driver.call(editMenu, "close") ||
        !driver.waitOverlayClear(QStringLiteral("the edit menu")))
        return false;

    // A desktop window: the list in columns with the chosen torrent's detail beside it (the one
    // open above moves there), then back to the phone size.
    driver.setShot(QStringLiteral("wide-list-detail"));
    QQuickWindow *window = qobject_cast<QQuickItem *>(tabs) ? qobject_cast<QQuickItem *>(tabs)->window() : nullptr;
    if (!window)
        return driver.fail(QStringLiteral("no window"));
    const QSize phone = window->size();
    window->resize(1280, 800);
    if (!driver.waitUntil(QStringLiteral("the detail beside the list"),
                          [&] {
                              QObject *pane = driver.find(QStringLiteral("detailPane"), list);
                              return driver.get(pane, "visible").toBool() &&
                                     driver.find(QStringLiteral("torrentDetailView"), pane) != nullptr &&
                                     driver.get(driver.find(QStringLiteral("columnHeader"), list), "visible").toBool();
                          }) ||
        !driver.shoot(QStringLiteral("wide-list-detail")))
        return false;

    // A right click opens the row's menu at the pointer, its row alone highlighted.
    driver.setShot(QStringLiteral("wide-row-menu"));
    QQuickItem *second = rowAt(rowsView, 1);
    if (!second)
        return driver.fail(QStringLiteral("no second row"));
    clickOn(second, Qt::RightButton);
    QObject *rowMenu = nullptr;
    if (!driver.waitUntil(QStringLiteral("the row menu"),
                          [&] {
                              rowMenu = driver.find(QStringLiteral("torrentContextMenu"));
                              return rowMenu && driver.get(rowMenu, "opened").toBool();
                          }) ||
        !driver.shoot(QStringLiteral("wide-row-menu")) || !driver.call(rowMenu, "close") ||
        !driver.waitOverlayClear(QStringLiteral("the row menu")))
        return false;

    // The list from the keyboard: the current row in its focus ring.
    driver.setShot(QStringLiteral("wide-focus-ring"));
    if (!driver.call(rowsView, "forceActiveFocus") || !driver.set(rowsView, "currentIndex", 2) ||
        !driver.waitUntil(QStringLiteral("the focus ring"),
                          [&] {
                              QQuickItem *third = rowAt(rowsView, 2);
                              return third && driver.get(third, "focusRing").toBool();
                          }) ||
        !driver.shoot(QStringLiteral("wide-focus-ring")))
        return false;
    window->resize(phone);
    if (!driver.waitUntil(QStringLiteral("the phone layout again"),
                          [&] { return !driver.get(driver.find(QStringLiteral("detailPane"), list), "visible").toBool(); }))
        return false;

    // Search over all torrents.
    driver.setShot(QStringLiteral("search"));
    if (!driver.set(tabs, "selectedTab", 2))
        return false;
    QObject *search = driver.waitFor(QStringLiteral("searchTorrentView"), tabs);
    QObject *results = driver.find(QStringLiteral("resultList"), search);
    if (!driver.set(search, "searchText", QStringLiteral("iso")) ||
        !driver.waitUntil(QStringLiteral("search results"),
                          [&] {
                              return driver.get(search, "contentState").toString() ==
                                         QLatin1String("results") &&
                                     rowCount(driver, results) >= 2;
                          }) ||
        !driver.shoot(QStringLiteral("search")))
        return false;

    // Statistics with every figure in, then its speed limit sheet.
    driver.setShot(QStringLiteral("statistics"));
    if (!driver.set(tabs, "selectedTab", 1))
        return false;
    QObject *statistics = driver.waitFor(QStringLiteral("statisticsView"), tabs);
    QObject *statisticsModel = driver.get(statistics, "viewModel").value<QObject *>();
    if (!driver.waitUntil(
            QStringLiteral("the statistics to load"),
            [&] {
                return !driver.get(statisticsModel, "isLoading").toBool() &&
                       !driver.get(statisticsModel, "serverVersion").toString().isEmpty() &&
                       driver.get(statisticsModel, "transferInfo").value<TransferFigures>().loaded &&
                       driver.get(statisticsModel, "serverState").value<ServerFigures>().loaded &&
                       rowCount(driver, driver.get(statisticsModel, "categories").value<QObject *>()) > 0;
            }) ||
        !driver.shoot(QStringLiteral("statistics")))
        return false;

    // The chart after ten minutes of samples, made here rather than waited for.
    driver.setShot(QStringLiteral("statistics-chart"));
    SpeedHistory history;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (int i = 120; i >= 0; --i) {
        const double t = double(120 - i);
        history.add(now - qint64(i) * 5000, qint64(2.2e6 + 1.3e6 * std::sin(t / 9.0) + 4e5 * std::sin(t / 2.3)),
                    qint64(7e5 + 3e5 * std::sin(t / 14.0 + 1.0)));
    }
    TorrentRepository::shared(QBittorrentAPIClient::shared())->replaceSpeedHistory(history);
    QObject *chart = driver.find(QStringLiteral("speedChart"), statistics);
    QObject *statisticsList = driver.find(QStringLiteral("statisticsList"), statistics);
    auto *chartItem = qobject_cast<QQuickItem *>(chart);
    auto *listItem = qobject_cast<QQuickItem *>(statisticsList);
    if (!chartItem || !listItem)
        return driver.fail(QStringLiteral("no chart on the statistics screen"));
    const QPointF chartTop = chartItem->mapToItem(driver.get(statisticsList, "contentItem").value<QQuickItem *>(),
                                                  QPointF(0, 0));
    if (!driver.waitUntil(QStringLiteral("the chart's lines"),
                          [&] { return driver.get(chart, "download").toList().size() > 100; }) ||
        !driver.set(statisticsList, "contentY", std::max(0.0, chartTop.y() - 320)) ||
        !driver.shoot(QStringLiteral("statistics-chart")) || !driver.set(statisticsList, "contentY", 0))
        return false;
    if (!shootSheet(driver, QStringLiteral("speed-limit-sheet"), statistics, "showingSpeedLimitSheet",
                    QStringLiteral("speedLimitPopup")))
        return false;
    // The alternative limits switched on; they stay on for the demo server's remaining life.
    driver.setShot(QStringLiteral("alt-speed-on"));
    QElapsedTimer switched;
    switched.start();
    if (!driver.call(statisticsModel, "setAlternativeSpeed", true) ||
        !driver.waitUntil(QStringLiteral("the server to confirm the alternative limits"),
                          [&] {
                              // The handle slides for a moment.
                              return driver.get(statisticsModel, "alternativeSpeed") == QVariant(true) &&
                                     driver.get(driver.find(QStringLiteral("altSpeedSwitch"), statistics), "checked")
                                         .toBool() &&
                                     switched.elapsed() > 500;
                          }) ||
        !driver.shoot(QStringLiteral("alt-speed-on")))
        return false;

    // Settings with the server version, its About sheet, the server list and a bad new profile.
    driver.setShot(QStringLiteral("settings"));
    if (!driver.set(tabs, "selectedTab", 3))
        return false;
    QObject *settings = driver.waitFor(QStringLiteral("settingsView"), tabs);
    if (!driver.waitUntil(
            QStringLiteral("the server version and categories"),
            [&] {
                return driver.get(driver.find(QStringLiteral("serverVersionText"), settings), "visible")
                           .toBool() &&
                       !driver
                            .get(driver.get(settings, "viewModel").value<QObject *>(), "isLoadingCategories")
                            .toBool();
            }) ||
        !driver.shoot(QStringLiteral("settings")))
        return false;
    if (!shootSheet(driver, QStringLiteral("about"), settings, "showingAbout", QStringLiteral("aboutSheet")))
        return false;

    driver.setShot(QStringLiteral("server-list"));
    if (!driver.call(settings, "openServerList"))
        return false;
    QObject *servers = driver.waitFor(QStringLiteral("serverListView"), tabs);
    QObject *serverRows = driver.find(QStringLiteral("serverList"), servers);
    if (!driver.waitStackIdle(servers, QStringLiteral("the server list")) ||
        !driver.waitUntil(QStringLiteral("two server rows"),
                          [&] { return rowCount(driver, serverRows) == 2; }) ||
        !driver.shoot(QStringLiteral("server-list")))
        return false;

    if (!shootSheet(
            driver, QStringLiteral("add-server-invalid-port"), servers, "showingAddServer",
            QStringLiteral("addServerSheet"), [&](QObject *page) {
                QObject *form =
                    driver.get(driver.get(page, "form").value<QObject *>(), "model").value<QObject *>();
                return driver.set(form, "name", QStringLiteral("备用服务器")) &&
                       driver.set(form, "host", QStringLiteral("seedbox.example")) &&
                       driver.set(form, "port", QStringLiteral("70000")) &&
                       driver.waitUntil(QStringLiteral("the port caption"), [&] {
                           return driver.get(driver.find(QStringLiteral("portCaption"), page), "visible")
                               .toBool();
                       });
            }))
        return false;

    // The advanced settings of a profile behind a reverse proxy with a private CA.
    QTemporaryFile caFile;
    QFile sample(QStringLiteral(":/shots/sample-server.pem"));
    if (!caFile.open() || !sample.open(QIODevice::ReadOnly) || caFile.write(sample.readAll()) < 0 ||
        !caFile.flush())
        return driver.fail(QStringLiteral("cannot write the sample CA file"));
    if (!shootSheet(driver, QStringLiteral("add-server-advanced"), servers, "showingAddServer",
                    QStringLiteral("addServerSheet"), [&](QObject *page) {
                        QObject *view = driver.get(page, "form").value<QObject *>();
                        QObject *form = driver.get(view, "model").value<QObject *>();
                        QObject *flick = driver.find(QStringLiteral("formFlickable"), page);
                        const std::pair<const char *, QVariant> fields[] = {
                            {"name", QStringLiteral("代理后的服务器")},
                            {"host", QStringLiteral("seedbox.example")},
                            {"port", QStringLiteral("443")},
                            {"password", QStringLiteral("secret")},
                            {"useHTTPS", true},
                            {"pathPrefix", QStringLiteral("/qbt")},
                            {"certificateTrust", 1},
                            {"proxyAuthentication", 2}};
                        for (const auto &[name, value] : fields) {
                            if (!driver.set(form, name, value))
                                return false;
                        }
                        // A switch's knob slides over after its value changed; nothing tells when
                        // it arrived.
                        QElapsedTimer switched;
                        switched.start();
                        return driver.call(form, "chooseCaFile", QUrl::fromLocalFile(caFile.fileName())) &&
                               driver.call(form, "addHeader") &&
                               driver.call(form, "setHeaderName", 0, QStringLiteral("CF-Access-Client-Id")) &&
                               driver.call(form, "setHeaderValue", 0, QStringLiteral("client.access")) &&
                               driver.set(view, "advancedOpen", true) &&
                               driver.set(driver.find(QStringLiteral("headerNameField"), page),
                                          "cursorPosition", 0) &&
                               driver.waitUntil(QStringLiteral("the switches to slide"),
                                                [&] { return switched.elapsed() > 400; }) &&
                               driver.waitUntil(QStringLiteral("the advanced settings to lay out"),
                                                [&] {
                                                    return driver.get(flick, "contentHeight").toDouble() >
                                                           driver.get(flick, "height").toDouble();
                                                }) &&
                               driver.set(flick, "contentY",
                                          driver.get(flick, "contentHeight").toDouble() -
                                              driver.get(flick, "height").toDouble());
                    }))
        return false;

    // A self-signed certificate the client refused for the demo profile, as a connection to it
    // would report it.
    driver.setShot(QStringLiteral("trust-sheet"));
    QFile pem(QStringLiteral(":/shots/sample-server.pem"));
    const QSslCertificate certificate(pem.open(QIODevice::ReadOnly) ? pem.readAll() : QByteArray());
    if (certificate.isNull())
        return driver.fail(QStringLiteral("the sample certificate does not load"));
    Q_EMIT QBittorrentAPIClient::shared().certificateRejected(
        demo, std::make_shared<const CertificateError>(
                  CertificateError::Kind::untrusted, certificate,
                  demo.host + QLatin1Char(':') + QString::number(demo.port),
                  QList<QSslError::SslError>{QSslError::SelfSignedCertificate}));
    QObject *trustSheet = driver.find(QStringLiteral("trustSheet"));
    return driver.waitOpened(trustSheet, QStringLiteral("the trust sheet")) &&
           driver.shoot(QStringLiteral("trust-sheet")) &&
           driver.call(serverModel, "dismissCertificatePrompt") &&
           driver.waitOverlayClear(QStringLiteral("the trust sheet"));
}

} // namespace

int main(int argc, char *argv[])
{
    // Profiles and settings of this run only. Set before the application object so that every
    // standard location is taken from here.
    QTemporaryDir state;
    if (!state.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder: %s\n", qPrintable(state.errorString()));
        return 1;
    }
    useStateFolder(state.path());

    QGuiApplication app(argc, argv);
    setApplicationIdentity();
    installTranslations();
    QGuiApplication::setApplicationVersion(appVersion());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Screenshots of the main screens against a running server."));
    parser.addHelpOption();
    const QCommandLineOption serverOption(QStringLiteral("server"),
                                          QStringLiteral("The server (password in SEEDWHIRL_PASSWORD)."),
                                          QStringLiteral("HOST:PORT"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for the PNG files."),
                                       QStringLiteral("DIR"));
    parser.addOption(serverOption);
    parser.addOption(outOption);
    parser.process(app);

    const auto target = parseTarget(parser.value(serverOption));
    if (!target) {
        std::fprintf(stderr, "--server wants HOST:PORT, got \"%s\"\n",
                     qPrintable(parser.value(serverOption)));
        return 2;
    }
    if (!parser.isSet(outOption)) {
        std::fprintf(stderr, "--out DIR is missing\n");
        return 2;
    }
    const QString out = parser.value(outOption);
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out));
        return 1;
    }

    if (const auto failure = PersistenceController::openShared()) {
        std::fprintf(stderr, "%s\n", qPrintable(*failure));
        return 1;
    }
    reloginWithStoredPasswords();

    applyApplicationStyle();
    QQmlApplicationEngine engine;
    prepareQmlEngine(engine);
    engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Seedwhirl/qml/Main.qml")));
    auto *window =
        engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!window) {
        std::fprintf(stderr, "Main.qml did not load\n");
        return 1;
    }

    Relay relay(target->host, quint16(target->port));
    if (!relay.listen()) {
        std::fprintf(stderr, "the relay cannot listen\n");
        return 1;
    }
    ScreenDriver driver(*window, out);
    const bool ok = run(driver, *target, relay);
    for (const QString &path : driver.written())
        std::printf("wrote %s\n", qPrintable(path));
    std::fflush(stdout);
    if (!ok) {
        std::fprintf(stderr, "screenshots failed at %s\n", qPrintable(driver.failure()));
        return 1;
    }
    std::printf("%lld screenshots in %s\n", static_cast<long long>(driver.written().size()), qPrintable(out));
    return 0;
}
