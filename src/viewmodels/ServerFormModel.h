// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "CertificatePrompt.h"
#include "SettingsViewModel.h"
#include "model/AppError.h"
#include "model/ServerConfig.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <qcoro/qcoroqmltask.h>
#include <qcoro/qcorotask.h>

#include <memory>
#include <optional>

class CertificateError;
struct SecretChanges;

// Behind the add and edit server forms: every field, its validation, the connection test with
// its certificate question, and the save. A new form adds a profile; after load(id) it edits
// that saved one, whose secrets are never read back into the fields: an empty secret field
// keeps the saved secret.
class ServerFormModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(SettingsViewModel *settings READ settings WRITE setSettings NOTIFY settingsChanged)
    Q_PROPERTY(bool isEditing READ isEditing NOTIFY changed)
    Q_PROPERTY(QString name MEMBER m_name NOTIFY changed)
    Q_PROPERTY(QString host MEMBER m_host NOTIFY changed)
    Q_PROPERTY(QString port MEMBER m_port NOTIFY changed)
    Q_PROPERTY(QString username MEMBER m_username NOTIFY changed)
    Q_PROPERTY(QString password MEMBER m_password NOTIFY changed)
    Q_PROPERTY(bool useHTTPS MEMBER m_useHTTPS NOTIFY changed)
    Q_PROPERTY(QString pathPrefix MEMBER m_pathPrefix NOTIFY changed)
    // 0 系统证书, 1 自定义 CA 证书, 2 已固定的证书 (only while a certificate is pinned).
    Q_PROPERTY(int certificateTrust READ certificateTrust WRITE setCertificateTrust NOTIFY changed)
    Q_PROPERTY(QString caSubject READ caSubject NOTIFY changed) // of the chosen CA file
    Q_PROPERTY(QString caError READ caError NOTIFY changed)     // the chosen file is no certificate
    Q_PROPERTY(bool hasPin READ hasPin NOTIFY changed)
    Q_PROPERTY(QString pinnedFingerprint READ pinnedFingerprint NOTIFY changed)
    // 0 无, 1 HTTP Basic, 2 自定义请求头.
    Q_PROPERTY(int proxyAuthentication MEMBER m_proxyAuthentication NOTIFY changed)
    Q_PROPERTY(QString proxyUsername MEMBER m_proxyUsername NOTIFY changed)
    Q_PROPERTY(QString proxyPassword MEMBER m_proxyPassword NOTIFY changed)
    // The custom header rows; a saved row's empty value keeps its saved value.
    Q_PROPERTY(QStringList headerNames READ headerNames NOTIFY headersChanged)
    Q_PROPERTY(QStringList headerValues READ headerValues NOTIFY headersChanged)
    Q_PROPERTY(QList<bool> headerSaved READ headerSaved NOTIFY headersChanged)
    Q_PROPERTY(bool useApiKey MEMBER m_useApiKey NOTIFY changed)
    Q_PROPERTY(QString apiKey MEMBER m_apiKey NOTIFY changed)
    Q_PROPERTY(bool portValid READ portValid NOTIFY changed)
    // The first fault of the advanced settings, empty when there is none.
    Q_PROPERTY(QString advancedProblem READ advancedProblem NOTIFY changed)
    Q_PROPERTY(bool canSave READ canSave NOTIFY changed)
    Q_PROPERTY(bool isSaving READ isSaving NOTIFY changed)
    Q_PROPERTY(bool isTesting READ isTesting NOTIFY testChanged)
    Q_PROPERTY(bool hasTestResult READ hasTestResult NOTIFY testChanged) // false until a test answered
    Q_PROPERTY(bool testSucceeded READ testSucceeded NOTIFY testChanged)
    Q_PROPERTY(QString testError READ testError NOTIFY testChanged)
    // The certificate the last test was refused for, while the user has not answered.
    Q_PROPERTY(CertificatePrompt certificatePrompt READ certificatePrompt NOTIFY testChanged)

public:
    explicit ServerFormModel(QObject *parent = nullptr);
    ~ServerFormModel() override;

    SettingsViewModel *settings() const { return m_settings; }
    void setSettings(SettingsViewModel *settings);
    bool isEditing() const { return m_isEditing; }
    int certificateTrust() const { return m_certificateTrust; }
    void setCertificateTrust(int trust);
    QString caSubject() const;
    const QString &caError() const { return m_caError; }
    bool hasPin() const { return !m_pinnedFingerprint.isEmpty(); }
    const QString &pinnedFingerprint() const { return m_pinnedFingerprint; }
    QStringList headerNames() const;
    QStringList headerValues() const;
    QList<bool> headerSaved() const;
    bool portValid() const;
    QString advancedProblem() const;
    bool canSave() const;
    bool isSaving() const { return m_isSaving; }
    bool isTesting() const { return m_isTesting; }
    bool hasTestResult() const { return m_hasTestResult; }
    bool testSucceeded() const { return m_testSucceeded; }
    const QString &testError() const { return m_testError; }
    const CertificatePrompt &certificatePrompt() const { return m_prompt; }

    // Starts editing the saved profile with that id; false (form unchanged) when there is none.
    Q_INVOKABLE bool load(const QString &serverId);
    // The path prefix as it will be saved ("qbt/" -> "/qbt").
    Q_INVOKABLE void normalizePathPrefix();
    // Reads a CA certificate file (PEM or DER) for the custom CA trust.
    Q_INVOKABLE void chooseCaFile(const QUrl &file);
    // Drops the pinned certificate; the trust returns to the system's.
    Q_INVOKABLE void forgetPin();
    Q_INVOKABLE void addHeader();
    Q_INVOKABLE void removeHeader(int row);
    Q_INVOKABLE void setHeaderName(int row, const QString &name);
    Q_INVOKABLE void setHeaderValue(int row, const QString &value);
    // A test of the form's values on a throw-away session.
    Q_INVOKABLE void test();
    // Pins the certificate of the prompt in the form's profile and tests again.
    Q_INVOKABLE void trustCertificate();
    Q_INVOKABLE void dismissCertificate();
    // Resolves to true once saved; a failure is logged (add) or held by the settings model (edit).
    Q_INVOKABLE QCoro::QmlTask save();

    // The profile the fields describe.
    ServerConfig profile() const;
    // The secrets the fields describe, saved ones in place of empty fields; absent when a saved
    // header value cannot be read.
    QCoro::Task<std::optional<ServerSecrets>> secretsForUse();
    // What an edit changes of the saved secrets; absent as secretsForUse() is.
    QCoro::Task<std::optional<SecretChanges>> secretChanges();
    QCoro::Task<bool> saveProfile();
    QCoro::Task<void> runTest();

Q_SIGNALS:
    void settingsChanged();
    void changed();
    void headersChanged();
    void testChanged();

private:
    struct HeaderRow
    {
        QString name;
        QString value;
        int savedIndex = -1; // its position in the saved profile; -1 for a new row
    };

    // The saved secret of that account: empty when the form adds a profile, absent when the
    // credential store has none or cannot be read.
    QCoro::Task<std::optional<QString>> saved(QString account);
    // Shows a failure of a save or test on the test result line.
    void showFailure(const QString &message);
    bool headersUnchanged() const;
    QString headerProblem() const;

    QPointer<SettingsViewModel> m_settings;
    ServerConfig m_base; // the saved profile, or the identity a new one will get
    bool m_isEditing = false;
    QString m_name;
    QString m_host;
    QString m_port = QStringLiteral("8080");
    QString m_username = QStringLiteral("admin");
    QString m_password;
    bool m_useHTTPS = false;
    QString m_pathPrefix;
    int m_certificateTrust = 0;
    QByteArray m_caCertificate;
    QString m_caError;
    QByteArray m_pinnedCertificate;
    QString m_pinnedFingerprint;
    int m_proxyAuthentication = 0;
    QString m_proxyUsername;
    QString m_proxyPassword;
    QList<HeaderRow> m_headers;
    bool m_useApiKey = false;
    QString m_apiKey;
    bool m_isSaving = false;
    bool m_isTesting = false;
    bool m_hasTestResult = false;
    bool m_testSucceeded = false;
    QString m_testError;
    std::shared_ptr<const CertificateError> m_certificateError;
    CertificatePrompt m_prompt;
};
