// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QMetaType>
#include <QString>

class CertificateError;
class QSslCertificate;

// What the trust sheet shows of a refused server certificate (`certificatePrompt` in QML). The
// default value is "nothing to ask": `valid` is false and every text is empty.
struct CertificatePrompt
{
    Q_GADGET
    Q_PROPERTY(bool valid MEMBER valid)
    Q_PROPERTY(bool changed MEMBER changed) // another certificate than the approved one
    Q_PROPERTY(bool canTrust MEMBER canTrust)
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString message MEMBER message)
    Q_PROPERTY(QString subject MEMBER subject)
    Q_PROPERTY(QString issuer MEMBER issuer)
    Q_PROPERTY(QString validFrom MEMBER validFrom)
    Q_PROPERTY(QString validUntil MEMBER validUntil)
    Q_PROPERTY(QString address MEMBER address)
    Q_PROPERTY(QString fingerprint MEMBER fingerprint)             // SHA-256, "AB:01:..."
    Q_PROPERTY(QString pinnedFingerprint MEMBER pinnedFingerprint) // empty unless changed

public:
    bool valid = false;
    bool changed = false;
    bool canTrust = false;
    QString title;
    QString message;
    QString subject;
    QString issuer;
    QString validFrom;
    QString validUntil;
    QString address;
    QString fingerprint;
    QString pinnedFingerprint;

    static CertificatePrompt of(const CertificateError &error);
    bool operator==(const CertificatePrompt &) const = default;
};

// The name a certificate is known by: its subject's common name, else its organisation, else
// the whole subject line.
QString certificateName(const QSslCertificate &certificate, bool issuer = false);

Q_DECLARE_METATYPE(CertificatePrompt)
