// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CertificateError.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QStringList>

#include <algorithm>

namespace {

QString dateText(const QDateTime &date)
{
    return date.isValid() ? date.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                          : QCoreApplication::translate("CertificateError", "未知");
}

// The names a certificate is for: its DNS names and addresses, else its common name.
QStringList namesOf(const QSslCertificate &certificate)
{
    QStringList names;
    const auto alternatives = certificate.subjectAlternativeNames();
    for (auto it = alternatives.cbegin(); it != alternatives.cend(); ++it)
        names.append(it.value());
    if (names.isEmpty())
        names = certificate.subjectInfo(QSslCertificate::CommonName);
    names.removeDuplicates();
    return names;
}

QString faultText(QSslError::SslError error)
{
    using E = QSslError;
    switch (error) {
    case E::CertificateRevoked:
        return QCoreApplication::translate("CertificateError", "证书已被吊销");
    case E::CertificateSignatureFailed:
    case E::UnableToDecryptCertificateSignature:
        return QCoreApplication::translate("CertificateError", "证书签名无效");
    case E::CertificateBlacklisted:
        return QCoreApplication::translate("CertificateError", "证书已被列入黑名单");
    case E::InvalidCaCertificate:
        return QCoreApplication::translate("CertificateError", "签发机构的证书无效");
    case E::InvalidPurpose:
        return QCoreApplication::translate("CertificateError", "证书不能用于服务器身份验证");
    case E::CertificateRejected:
        return QCoreApplication::translate("CertificateError", "证书被拒绝用于此用途");
    case E::NoPeerCertificate:
        return QCoreApplication::translate("CertificateError", "服务器没有出示证书");
    case E::InvalidNotBeforeField:
    case E::InvalidNotAfterField:
        return QCoreApplication::translate("CertificateError", "证书的有效期字段无效");
    default:
        return QSslError(error).errorString();
    }
}

} // namespace

CertificateError::CertificateError(Kind kind, QSslCertificate presented, QString address,
                                   QList<QSslError::SslError> errors, QString pinnedFingerprint)
    : m_kind(kind), m_certificate(std::move(presented)), m_address(std::move(address)),
      m_errors(std::move(errors)), m_pinnedFingerprint(std::move(pinnedFingerprint))
{}

bool CertificateError::isAcceptedByPin(QSslError::SslError error)
{
    switch (error) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::HostNameMismatch:
        return true;
    default:
        return false;
    }
}

CertificateError CertificateError::fromSslErrors(const QList<QSslError> &errors,
                                                 const QSslCertificate &presented, const QString &address,
                                                 const QString &pinnedFingerprint)
{
    using E = QSslError;
    QList<E::SslError> kinds;
    for (const QSslError &error : errors) {
        if (!kinds.contains(error.error()))
            kinds.append(error.error());
    }
    const auto isDated = [](E::SslError k) {
        return k == E::CertificateExpired || k == E::CertificateNotYetValid;
    };
    const bool fatal = std::any_of(kinds.begin(), kinds.end(),
                                   [&](E::SslError k) { return !isAcceptedByPin(k) && !isDated(k); });
    Kind kind = Kind::untrusted;
    if (presented.isNull())
        kind = Kind::invalid;
    else if (!pinnedFingerprint.isEmpty() && fingerprint(presented) != pinnedFingerprint)
        kind = Kind::changed;
    else if (fatal)
        kind = Kind::invalid;
    else if (kinds.contains(E::CertificateExpired))
        kind = Kind::expired;
    else if (kinds.contains(E::CertificateNotYetValid))
        kind = Kind::notYetValid;
    else if (kinds == QList<E::SslError>{E::HostNameMismatch})
        kind = Kind::hostNameMismatch;
    return CertificateError(kind, presented, address, kinds, pinnedFingerprint);
}

QString CertificateError::fingerprint(const QSslCertificate &certificate)
{
    if (certificate.isNull())
        return {};
    const QByteArray digest = certificate.digest(QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex(':').toUpper());
}

bool CertificateError::canBeTrusted() const
{
    if (m_certificate.isNull())
        return false;
    switch (m_kind) {
    case Kind::untrusted:
    case Kind::hostNameMismatch:
    case Kind::changed:
        return std::all_of(m_errors.begin(), m_errors.end(), isAcceptedByPin);
    default:
        return false;
    }
}

QList<QSslCertificate> CertificateError::certificatesIn(const QByteArray &bytes)
{
    QList<QSslCertificate> certificates = QSslCertificate::fromData(bytes, QSsl::Pem);
    if (certificates.isEmpty())
        certificates = QSslCertificate::fromData(bytes, QSsl::Der);
    return certificates;
}

QString CertificateError::title() const
{
    switch (m_kind) {
    case Kind::untrusted:
        return QCoreApplication::translate("CertificateError", "服务器证书不受信任");
    case Kind::changed:
        return QCoreApplication::translate("CertificateError", "服务器证书已改变");
    case Kind::expired:
        return QCoreApplication::translate("CertificateError", "服务器证书已过期");
    case Kind::notYetValid:
        return QCoreApplication::translate("CertificateError", "服务器证书尚未生效");
    case Kind::hostNameMismatch:
        return QCoreApplication::translate("CertificateError", "服务器证书与地址不符");
    case Kind::invalid:
        return QCoreApplication::translate("CertificateError", "服务器证书无效");
    }
    return {};
}

QString CertificateError::localizedDescription() const
{
    const QString server =
        QLatin1Char('\n') + QCoreApplication::translate("CertificateError", "服务器：%1").arg(m_address);
    const QString presented =
        QLatin1Char('\n') +
        QCoreApplication::translate("CertificateError", "SHA-256 指纹：%1").arg(presentedFingerprint());
    const QString heading = title() + QStringLiteral("\n\n");
    switch (m_kind) {
    case Kind::untrusted: {
        const bool selfSigned = m_errors.contains(QSslError::SelfSignedCertificate);
        return heading +
               (selfSigned
                    ? QCoreApplication::translate("CertificateError",
                                                  "该证书是服务器自己签发的（自签名证书）。")
                    : QCoreApplication::translate("CertificateError", "该证书由本机不信任的机构签发。")) +
               QCoreApplication::translate("CertificateError",
                                           "请向服务器管理员核对下面的指纹，一致时才可信任。") +
               QLatin1Char('\n') + server + presented;
    }
    case Kind::changed:
        return heading +
               QCoreApplication::translate("CertificateError",
                                           "服务器出示的证书与之前信任的不同：可能是服务器更换了证书，也可能"
                                           "有人冒充服务器。") +
               QLatin1Char('\n') + server + QLatin1Char('\n') +
               QCoreApplication::translate("CertificateError", "已信任的指纹：%1").arg(m_pinnedFingerprint) +
               QLatin1Char('\n') +
               QCoreApplication::translate("CertificateError", "服务器出示的指纹：%1")
                   .arg(presentedFingerprint());
    case Kind::expired:
        return heading +
               QCoreApplication::translate("CertificateError", "有效期至：%1")
                   .arg(dateText(m_certificate.expiryDate())) +
               QLatin1Char('\n') + server;
    case Kind::notYetValid:
        return heading +
               QCoreApplication::translate("CertificateError", "生效日期：%1")
                   .arg(dateText(m_certificate.effectiveDate())) +
               QLatin1Char('\n') + server;
    case Kind::hostNameMismatch:
        return heading +
               QCoreApplication::translate("CertificateError", "证书适用于：%1")
                   .arg(namesOf(m_certificate).join(QCoreApplication::translate("CertificateError", "、"))) +
               QLatin1Char('\n') +
               QCoreApplication::translate("CertificateError", "连接的地址：%1").arg(m_address) + presented;
    case Kind::invalid: {
        QStringList faults;
        for (const QSslError::SslError error : m_errors) {
            if (!isAcceptedByPin(error))
                faults.append(faultText(error));
        }
        if (m_certificate.isNull() && faults.isEmpty())
            faults.append(faultText(QSslError::NoPeerCertificate));
        return heading +
               QCoreApplication::translate("CertificateError", "原因：%1")
                   .arg(faults.join(QCoreApplication::translate("CertificateError", "；"))) +
               QLatin1Char('\n') + server;
    }
    }
    return {};
}

std::optional<QString> CertificateError::recoverySuggestion() const
{
    switch (m_kind) {
    case Kind::untrusted:
    case Kind::hostNameMismatch:
        return canBeTrusted()
                   ? QCoreApplication::translate("CertificateError", "核对指纹无误后，可选择信任此证书")
                   : QCoreApplication::translate("CertificateError", "请服务器管理员更换证书");
    case Kind::changed:
        return QCoreApplication::translate("CertificateError",
                                           "确认服务器确实更换了证书后，再重新信任新证书");
    case Kind::expired:
    case Kind::notYetValid:
        return QCoreApplication::translate("CertificateError",
                                           "请服务器管理员更新证书，并检查本机的日期和时间是否正确");
    case Kind::invalid:
        return QCoreApplication::translate("CertificateError", "请服务器管理员更换证书");
    }
    return std::nullopt;
}

QString CertificateError::debugDescription() const
{
    static const char *const names[] = {"untrusted",   "changed",          "expired",
                                        "notYetValid", "hostNameMismatch", "invalid"};
    QStringList errors;
    for (const QSslError::SslError error : m_errors)
        errors.append(QString::number(int(error)));
    return QStringLiteral("CertificateError(%1, %2, errors %3)")
        .arg(QLatin1String(names[int(m_kind)]), m_address, errors.join(QLatin1Char(',')));
}
