// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CertificatePrompt.h"

#include "api/CertificateError.h"
#include "model/Formatting.h"

#include <QCoreApplication>
#include <QSslCertificate>

QString certificateName(const QSslCertificate &certificate, bool issuer)
{
    const auto info = [&](QSslCertificate::SubjectInfo field) {
        return (issuer ? certificate.issuerInfo(field) : certificate.subjectInfo(field))
            .join(QStringLiteral(", "));
    };
    for (const auto field : {QSslCertificate::CommonName, QSslCertificate::Organization}) {
        if (const QString text = info(field); !text.isEmpty())
            return text;
    }
    return issuer ? certificate.issuerDisplayName() : certificate.subjectDisplayName();
}

CertificatePrompt CertificatePrompt::of(const CertificateError &error)
{
    using Kind = CertificateError::Kind;
    CertificatePrompt prompt;
    prompt.valid = true;
    prompt.changed = error.kind() == Kind::changed;
    prompt.canTrust = error.canBeTrusted();
    const QSslCertificate &certificate = error.certificate();
    prompt.subject = certificateName(certificate);
    prompt.issuer = certificateName(certificate, true);
    prompt.validFrom = formattedDate(certificate.effectiveDate());
    prompt.validUntil = formattedDate(certificate.expiryDate());
    prompt.address = error.address();
    prompt.fingerprint = error.presentedFingerprint();
    if (prompt.changed)
        prompt.pinnedFingerprint = error.pinnedFingerprint();
    // The sheet shows the certificate's details in fields of their own, so its message is about
    // what the user can do; for an invalid certificate, which no one may trust, it gives the reasons.
    prompt.title = error.title();
    switch (error.kind()) {
    case Kind::untrusted:
        prompt.message =
            (error.errors().contains(QSslError::SelfSignedCertificate)
                 ? QCoreApplication::translate("CertificatePrompt", "证书是服务器自己签发的（自签名）。")
                 : QCoreApplication::translate("CertificatePrompt", "证书由本机不认识的机构签发。")) +
            QCoreApplication::translate("CertificatePrompt",
                                        "请先核对服务器上证书的 SHA-256 指纹与下面的一致，再信任它。");
        break;
    case Kind::hostNameMismatch:
        prompt.message = QCoreApplication::translate(
            "CertificatePrompt", "证书是为其他名称签发的。请先核对指纹，确认是你的服务器后再信任它。");
        break;
    case Kind::changed:
        prompt.message = QCoreApplication::translate(
            "CertificatePrompt", "服务器出示的证书与之前信任的不同。如果没有在服务器上更换过证书，"
                                 "连接可能被拦截。只有确认新指纹无误时才重新信任。");
        break;
    case Kind::expired:
        prompt.message =
            QCoreApplication::translate("CertificatePrompt", "过期的证书不能被信任。请在服务器上更换证书。");
        break;
    case Kind::notYetValid:
        prompt.message = QCoreApplication::translate("CertificatePrompt",
                                                     "尚未生效的证书不能被信任。请检查服务器和本机的时间。");
        break;
    case Kind::invalid:
        prompt.message = error.localizedDescription();
        break;
    }
    return prompt;
}
