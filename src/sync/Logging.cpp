// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Logging.h"

Q_LOGGING_CATEGORY(lcSync, "seedwhirl.sync", QtInfoMsg)
