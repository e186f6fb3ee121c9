// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/TransferRecords.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <qcoro/qcorotask.h>

class AppSettings;
class QBittorrentAPIClient;

// Behind the add-torrent sheet: the link or file, the optional save path, category and tags,
// the category menus and the add itself. Talks to the API client directly; the torrent list
// shows the new torrent at its next sync.
class AddTorrentViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int addMode READ addMode WRITE setAddMode NOTIFY addModeChanged) // 0 链接, 1 文件
    Q_PROPERTY(QString torrentURL READ torrentURL WRITE setTorrentURL NOTIFY torrentURLChanged)
    Q_PROPERTY(QUrl selectedFileURL READ selectedFileURL WRITE setSelectedFileURL NOTIFY selectedFileChanged)
    Q_PROPERTY(QString selectedFileName READ selectedFileName NOTIFY selectedFileChanged)
    Q_PROPERTY(bool hasFile READ hasFile NOTIFY selectedFileChanged)
    Q_PROPERTY(QString savePath READ savePath WRITE setSavePath NOTIFY savePathChanged)
    Q_PROPERTY(QString category READ category WRITE setCategory NOTIFY categoryChanged)
    Q_PROPERTY(QString tags READ tags WRITE setTags NOTIFY tagsChanged)
    Q_PROPERTY(bool isValid READ isValid NOTIFY isValidChanged)
    Q_PROPERTY(bool isAdding READ isAdding NOTIFY isAddingChanged)
    Q_PROPERTY(bool showError READ showError WRITE setShowError NOTIFY errorChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged)
    Q_PROPERTY(bool isLoadingCategories READ isLoadingCategories NOTIFY isLoadingCategoriesChanged)
    Q_PROPERTY(QStringList categoryNames READ categoryNames NOTIFY categoriesChanged)
    Q_PROPERTY(QStringList savePathChoices READ savePathChoices NOTIFY categoriesChanged)

public:
    enum AddMode { url = 0, file = 1 };

    explicit AddTorrentViewModel(QObject *parent = nullptr); // the shared client and settings
    AddTorrentViewModel(QBittorrentAPIClient &client, AppSettings &settings, QObject *parent = nullptr);

    int addMode() const { return m_addMode; }
    void setAddMode(int mode);
    QString torrentURL() const { return m_torrentURL; }
    void setTorrentURL(const QString &text);
    QUrl selectedFileURL() const { return m_fileURL; }
    // Also takes the file's name from its last path component.
    void setSelectedFileURL(const QUrl &fileURL);
    QString selectedFileName() const { return m_fileName; }
    bool hasFile() const { return !m_fileURL.isEmpty(); }
    QString savePath() const { return m_savePath; }
    void setSavePath(const QString &path);
    QString category() const { return m_category; }
    void setCategory(const QString &name);
    QString tags() const { return m_tags; }
    void setTags(const QString &text);
    bool isValid() const;
    bool isAdding() const { return m_isAdding; }
    bool showError() const { return m_showError; }
    void setShowError(bool shown);
    QString errorMessage() const { return m_errorMessage; }
    bool isLoadingCategories() const { return m_isLoadingCategories; }
    const QList<Category> &categories() const { return m_categories; }
    QStringList categoryNames() const;
    // The category save paths that are not empty, each once, in ascending order.
    QStringList savePathChoices() const;

    // When the sheet appears: the save path from the settings if none is entered yet, and the
    // categories for the menus.
    Q_INVOKABLE void appear();
    // Does nothing while the input is not valid or an add is running.
    Q_INVOKABLE void add();
    // Menu entries: -1 is "默认", otherwise an index into categoryNames / savePathChoices.
    Q_INVOKABLE void chooseCategory(int index);
    Q_INVOKABLE void chooseSavePath(int index);

    QCoro::Task<void> loadCategories();
    QCoro::Task<void> submit();

Q_SIGNALS:
    void addModeChanged();
    void torrentURLChanged();
    void selectedFileChanged();
    void savePathChanged();
    void categoryChanged();
    void tagsChanged();
    void isValidChanged();
    void isAddingChanged();
    void errorChanged();
    void isLoadingCategoriesChanged();
    void categoriesChanged();
    // The torrent reached the server; the sheet closes.
    void added();

private:
    void setAdding(bool adding);
    void fail(const QString &message);

    QBittorrentAPIClient &m_client;
    AppSettings &m_settings;
    int m_addMode = url;
    QString m_torrentURL;
    QUrl m_fileURL;
    QString m_fileName;
    QString m_savePath;
    QString m_category;
    QString m_tags;
    bool m_isAdding = false;
    bool m_showError = false;
    QString m_errorMessage;
    bool m_isLoadingCategories = false;
    QList<Category> m_categories;
};
