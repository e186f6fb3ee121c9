// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/Log.h"

Q_DECLARE_LOGGING_CATEGORY(lcSync)
