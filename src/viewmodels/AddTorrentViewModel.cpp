// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AddTorrentViewModel.h"

#include "Logging.h"

#include "api/Attempt.h"
#include "api/QBittorrentAPIClient.h"
#include "store/AppSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <optional>

namespace {

// A .torrent file is metadata only; anything larger than this was picked by mistake.
constexpr qint64 maxTorrentFileSize = 64 * 1024 * 1024;

// The "默认" menu entries use this fixed path, not the settings' default.
const QString defaultMenuPath = QStringLiteral("/downloads");

// An empty field is sent as absent, so that the server applies its own default.
std::optional<QString> optionalField(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

struct FileRead
{
    QByteArray data;
    QString error; // empty on success
};

FileRead readTorrentFile(const QUrl &fileURL, const QString &shownName)
{
    const auto failure = [&](const char *reason) {
        return FileRead{{},
                        QCoreApplication::translate("AddTorrentViewModel", "无法读取文件“%1”：%2")
                            .arg(shownName, QCoreApplication::translate("AddTorrentViewModel", reason))};
    };
    if (!fileURL.isLocalFile())
        return failure(QT_TRANSLATE_NOOP("AddTorrentViewModel", "不是本地文件。"));
    QFile file(fileURL.toLocalFile());
    const QFileInfo info(file);
    if (!info.exists())
        return failure(QT_TRANSLATE_NOOP("AddTorrentViewModel", "文件不存在。"));
    if (info.isDir())
        return failure(QT_TRANSLATE_NOOP("AddTorrentViewModel", "这是一个文件夹。"));
    if (info.size() > maxTorrentFileSize)
        return failure(QT_TRANSLATE_NOOP("AddTorrentViewModel", "文件过大，不是种子文件。"));
    if (!file.open(QIODevice::ReadOnly))
        return failure(QT_TRANSLATE_NOOP("AddTorrentViewModel", "没有读取权限。"));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failure(QT_TRANSLATE_NOOP("AddTorrentViewModel", "读取失败。"));
    return {std::move(data), {}};
}

template <typename Value, typename Signal>
void assign(AddTorrentViewModel *model, Value &member, const Value &value, Signal changed)
{
    if (member == value)
        return;
    member = value;
    Q_EMIT(model->*changed)();
}

} // namespace

AddTorrentViewModel::AddTorrentViewModel(QObject *parent)
    : AddTorrentViewModel(QBittorrentAPIClient::shared(), AppSettings::shared(), parent)
{}

AddTorrentViewModel::AddTorrentViewModel(QBittorrentAPIClient &client, AppSettings &settings, QObject *parent)
    : QObject(parent), m_client(client), m_settings(settings)
{
    connect(this, &AddTorrentViewModel::addModeChanged, this, &AddTorrentViewModel::isValidChanged);
    connect(this, &AddTorrentViewModel::torrentURLChanged, this, &AddTorrentViewModel::isValidChanged);
    connect(this, &AddTorrentViewModel::selectedFileChanged, this, &AddTorrentViewModel::isValidChanged);
}

void AddTorrentViewModel::setAddMode(int mode)
{
    assign(this, m_addMode, mode == file ? int(file) : int(url), &AddTorrentViewModel::addModeChanged);
}

void AddTorrentViewModel::setTorrentURL(const QString &text)
{
    assign(this, m_torrentURL, text, &AddTorrentViewModel::torrentURLChanged);
}

void AddTorrentViewModel::setSelectedFileURL(const QUrl &fileURL)
{
    if (m_fileURL == fileURL)
        return;
    m_fileURL = fileURL;
    m_fileName = fileURL.fileName();
    Q_EMIT selectedFileChanged();
}

void AddTorrentViewModel::setSavePath(const QString &path)
{
    assign(this, m_savePath, path, &AddTorrentViewModel::savePathChanged);
}

void AddTorrentViewModel::setCategory(const QString &name)
{
    assign(this, m_category, name, &AddTorrentViewModel::categoryChanged);
}

void AddTorrentViewModel::setTags(const QString &text)
{
    assign(this, m_tags, text, &AddTorrentViewModel::tagsChanged);
}

// A link of spaces only counts as entered: it is sent, trimmed to nothing, and the server
// answers for it.
bool AddTorrentViewModel::isValid() const
{
    return m_addMode == url ? !m_torrentURL.isEmpty() : hasFile();
}

void AddTorrentViewModel::setShowError(bool shown)
{
    assign(this, m_showError, shown, &AddTorrentViewModel::errorChanged);
}

QStringList AddTorrentViewModel::categoryNames() const
{
    return Category::names(m_categories);
}

QStringList AddTorrentViewModel::savePathChoices() const
{
    QStringList paths;
    for (const Category &category : m_categories) {
        if (!category.savePath.isEmpty())
            paths.append(category.savePath);
    }
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

void AddTorrentViewModel::appear()
{
    if (m_savePath.isEmpty())
        setSavePath(m_settings.defaultSavePath());
    QCoro::connect(loadCategories(), this, [] {});
}

void AddTorrentViewModel::add()
{
    if (!isValid() || m_isAdding)
        return;
    QCoro::connect(submit(), this, [] {});
}

void AddTorrentViewModel::chooseCategory(int index)
{
    if (index < 0) {
        setCategory(QString());
        setSavePath(defaultMenuPath);
    } else if (index < m_categories.size()) {
        const Category chosen = m_categories.at(index);
        setCategory(chosen.name);
        if (!chosen.savePath.isEmpty())
            setSavePath(chosen.savePath);
    }
}

void AddTorrentViewModel::chooseSavePath(int index)
{
    const QStringList choices = savePathChoices();
    if (index < 0)
        setSavePath(defaultMenuPath);
    else if (index < choices.size())
        setSavePath(choices.at(index));
}

// After every suspension the model is looked at only through the guard: the sheet may have
// been closed while the request was in flight.
QCoro::Task<void> AddTorrentViewModel::loadCategories()
{
    QPointer<AddTorrentViewModel> self(this);
    assign(this, m_isLoadingCategories, true, &AddTorrentViewModel::isLoadingCategoriesChanged);
    Attempted<QList<Category>> answer = co_await attempt(m_client.getCategories());
    if (answer.error)
        logLine(lcViewModels(), QStringLiteral("⚠️ 加载分类失败: ") + answer.error->localizedDescription());
    if (!self)
        co_return;
    if (answer.value && *answer.value != m_categories) {
        m_categories = std::move(*answer.value);
        Q_EMIT categoriesChanged();
    }
    assign(this, m_isLoadingCategories, false, &AddTorrentViewModel::isLoadingCategoriesChanged);
}

QCoro::Task<void> AddTorrentViewModel::submit()
{
    QPointer<AddTorrentViewModel> self(this);
    setAdding(true);
    const auto savePath = optionalField(m_savePath);
    const auto category = optionalField(m_category);
    const auto tags = optionalField(m_tags);
    ErrorPtr failure;
    if (m_addMode == url) {
        failure = co_await attempt(m_client.addTorrent(m_torrentURL.trimmed(), savePath, category, tags));
    } else {
        FileRead read = readTorrentFile(m_fileURL, m_fileName);
        if (!read.error.isEmpty()) {
            fail(read.error);
            co_return;
        }
        failure = co_await attempt(
            m_client.addTorrentFile(m_fileName, std::move(read.data), savePath, category, tags));
    }
    if (!self)
        co_return;
    if (failure) {
        fail(failure->localizedDescription());
        co_return;
    }
    setAdding(false);
    Q_EMIT added();
}

void AddTorrentViewModel::setAdding(bool adding)
{
    assign(this, m_isAdding, adding, &AddTorrentViewModel::isAddingChanged);
}

// The entered values stay, so that the user can correct them and try again.
void AddTorrentViewModel::fail(const QString &message)
{
    m_errorMessage = message;
    m_showError = true;
    Q_EMIT errorChanged();
    setAdding(false);
}
