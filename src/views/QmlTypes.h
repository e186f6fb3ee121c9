// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/AppSettings.h"
#include "viewmodels/AddTorrentViewModel.h"
#include "viewmodels/FilterSheetModel.h"
#include "viewmodels/ServerFormModel.h"
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

struct ServerFormModelForeign
{
    Q_GADGET
    QML_FOREIGN(ServerFormModel)
    QML_NAMED_ELEMENT(ServerFormModel)
};

struct AddTorrentViewModelForeign
{
    Q_GADGET
    QML_FOREIGN(AddTorrentViewModel)
    QML_NAMED_ELEMENT(AddTorrentViewModel)
};

struct FilterSheetModelForeign
{
    Q_GADGET
    QML_FOREIGN(FilterSheetModel)
    QML_NAMED_ELEMENT(FilterSheetModel)
};

struct TorrentListModelForeign
{
    Q_GADGET
    QML_FOREIGN(TorrentListModel)
    QML_NAMED_ELEMENT(TorrentListModel)
    QML_UNCREATABLE("TorrentListModel comes from a TorrentListViewModel")
};

// The rows and records the models hand out: list models known by type only, records as value
// types (lower-case names) that screens declare as typed properties.
struct RecordListModelForeign
{
    Q_GADGET
    QML_FOREIGN(RecordListModel)
    QML_ANONYMOUS
};
struct InfoRowsModelForeign
{
    Q_GADGET
    QML_FOREIGN(InfoRowsModel)
    QML_ANONYMOUS
};
struct TorrentFilesModelForeign
{
    Q_GADGET
    QML_FOREIGN(TorrentFilesModel)
    QML_ANONYMOUS
};
struct TorrentTrackersModelForeign
{
    Q_GADGET
    QML_FOREIGN(TorrentTrackersModel)
    QML_ANONYMOUS
};
struct TorrentPeersModelForeign
{
    Q_GADGET
    QML_FOREIGN(TorrentPeersModel)
    QML_ANONYMOUS
};
struct CategoryListModelForeign
{
    Q_GADGET
    QML_FOREIGN(CategoryListModel)
    QML_ANONYMOUS
};
struct ServerListModelForeign
{
    Q_GADGET
    QML_FOREIGN(ServerListModel)
    QML_ANONYMOUS
};
struct ServerProfileForeign
{
    Q_GADGET
    QML_FOREIGN(ServerProfile)
    QML_VALUE_TYPE(serverProfile)
};
struct CertificatePromptForeign
{
    Q_GADGET
    QML_FOREIGN(CertificatePrompt)
    QML_VALUE_TYPE(certificatePrompt)
};
struct TransferFiguresForeign
{
    Q_GADGET
    QML_FOREIGN(TransferFigures)
    QML_VALUE_TYPE(transferFigures)
};
struct ServerFiguresForeign
{
    Q_GADGET
    QML_FOREIGN(ServerFigures)
    QML_VALUE_TYPE(serverFigures)
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
