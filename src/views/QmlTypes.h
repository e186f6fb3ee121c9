#pragma once

#include "store/AppSettings.h"
#include "viewmodels/SettingsViewModel.h"
#include "viewmodels/StatisticsViewModel.h"
#include "viewmodels/TorrentDetailViewModel.h"
#include "viewmodels/TorrentListModel.h"
#include "viewmodels/TorrentListViewModel.h"

#include <QJSEngine>
#include <QQmlEngine>
#include <QtQml/qqmlregistration.h>

// The presentation models as QML types, so that a screen can own one: TorrentListViewModel {}.

struct SettingsViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(SettingsViewModel)
    QML_NAMED_ELEMENT(SettingsViewModel)
};

struct TorrentListViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(TorrentListViewModel)
    QML_NAMED_ELEMENT(TorrentListViewModel)
};

struct TorrentDetailViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(TorrentDetailViewModel)
    QML_NAMED_ELEMENT(TorrentDetailViewModel)
};

struct StatisticsViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(StatisticsViewModel)
    QML_NAMED_ELEMENT(StatisticsViewModel)
};

struct TorrentListModelForeign
{
    Q_GADGET
    QML_FOREIGN(TorrentListModel)
    QML_NAMED_ELEMENT(TorrentListModel)
    QML_UNCREATABLE("TorrentListModel comes from a TorrentListViewModel")
};

// `AppSettings` in QML is the process-wide instance; QML never owns it.
struct AppSettingsForeign
{
    Q_GADGET
    QML_FOREIGN(AppSettings)
    QML_NAMED_ELEMENT(AppSettings)
    QML_SINGLETON

public:
    static AppSettings *create(QQmlEngine *, QJSEngine *)
    {
        AppSettings *settings = &AppSettings::shared();
        QJSEngine::setObjectOwnership(settings, QJSEngine::CppOwnership);
        return settings;
    }
};
