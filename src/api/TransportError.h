// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/AppError.h"

#include <QNetworkReply>
#include <QString>

// A request that got no usable HTTP answer: refused, unreachable, timed out, cut off, TLS
// failure. Keeps Qt's error code so callers can tell the cases apart; the description is
// Chinese and names the cause, never a URL, cookie or credential.
class TransportError final : public AppError
{
public:
    // `detail` is Qt's own English text, kept for diagnostics only.
    explicit TransportError(QNetworkReply::NetworkError code, QString detail = {});

    QNetworkReply::NetworkError code() const { return m_code; }
    bool isTimeout() const { return m_code == QNetworkReply::TimeoutError; }
    bool isCannotConnect() const { return m_code == QNetworkReply::ConnectionRefusedError; }
    bool isCannotFindHost() const { return m_code == QNetworkReply::HostNotFoundError; }
    // No route to the network or host.
    bool isUnreachable() const;

    QString localizedDescription() const override;
    QString debugDescription() const override;
    ErrorPtr clone() const override { return std::make_shared<TransportError>(*this); }

    static QString describe(QNetworkReply::NetworkError code);

private:
    QNetworkReply::NetworkError m_code;
    QString m_detail;
};
