// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"

#include <QDateTime>
#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

#include <optional>

// A TLS connection the client refused because of the server's certificate. Carries what the
// user needs to decide: the certificate presented, the address, what was wrong with it and,
// for a pinned profile, the fingerprint that was approved.
class CertificateError final : public AppError
{
public:
    enum class Kind {
        untrusted,        // self-signed or from an issuer nobody here trusts
        changed,          // the profile pins another certificate than the one presented
        expired,          // past its validity, pinned or not
        notYetValid,      // before its validity, pinned or not
        hostNameMismatch, // issued for another name than the address (trusted issuer)
        invalid,          // revoked, bad signature, wrong purpose, no certificate: never accepted
    };

    CertificateError(Kind kind, QSslCertificate presented, QString address, QList<QSslError::SslError> errors,
                     QString pinnedFingerprint = {});

    // Sorts the errors of a failed handshake into one kind. `pinnedFingerprint` is the
    // profile's pin (empty when it pins nothing).
    static CertificateError fromSslErrors(const QList<QSslError> &errors, const QSslCertificate &presented,
                                          const QString &address, const QString &pinnedFingerprint);

    // SHA-256 of the DER form, colon-separated upper-case hex ("AB:01:...").
    static QString fingerprint(const QSslCertificate &certificate);
    // The faults a pin overlooks for the pinned certificate: who issued it and which names it
    // is for. Never expiry, revocation, a bad signature or a wrong purpose.
    static bool isAcceptedByPin(QSslError::SslError error);
    // The certificates of a file or a stored value, PEM or else DER; empty when there are none.
    static QList<QSslCertificate> certificatesIn(const QByteArray &bytes);

    Kind kind() const { return m_kind; }
    const QSslCertificate &certificate() const { return m_certificate; }
    const QString &address() const { return m_address; }
    const QList<QSslError::SslError> &errors() const { return m_errors; }
    const QString &pinnedFingerprint() const { return m_pinnedFingerprint; }
    QString presentedFingerprint() const { return fingerprint(m_certificate); }
    // Whether the user may approve (pin) the presented certificate: untrusted, host name
    // mismatch and a changed certificate whose only faults are those a pin accepts.
    bool canBeTrusted() const;

    // The first line of localizedDescription(): what is wrong, in a few words.
    QString title() const;
    QString localizedDescription() const override;
    std::optional<QString> recoverySuggestion() const override;
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<CertificateError>(*this); }

private:
    Kind m_kind;
    QSslCertificate m_certificate;
    QString m_address;
    QList<QSslError::SslError> m_errors;
    QString m_pinnedFingerprint;
};
