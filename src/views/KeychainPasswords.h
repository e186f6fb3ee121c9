// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "api/QBittorrentAPIClient.h"
#include "store/KeychainHelper.h"

// Re-logins of `client` read the password saved with the profile in the credential store.
inline void reloginWithStoredPasswords(QBittorrentAPIClient &client = QBittorrentAPIClient::shared(),
                                       KeychainHelper &keychain = KeychainHelper::shared())
{
    client.setPasswordProvider(
        [&keychain](QString account) { return keychain.getPassword(std::move(account)); });
}
