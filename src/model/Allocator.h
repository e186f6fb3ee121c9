// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A full sync of a big server passes some hundred megabytes of short-lived buffers. They are
// mapped on their own and returned once freed, so that memory once needed for an answer does not
// stay with the application. Call once at start-up, before the first sync.
void tuneAllocatorForLargeAnswers();
