// SPDX-FileCopyrightText: 2026 Seedwhirl developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QQmlEngine;
class QString;

// What every engine that loads the Seedwhirl module needs, shared by the application and the
// QML tests: QCoro's task type and the import path of the module's resources.
void prepareQmlEngine(QQmlEngine &engine);

// The texts in the system's language where the application has a catalogue for it (its source
// texts are Chinese, shown where none fits), and Qt's own catalogues in the same language, so that
// what Qt draws itself (dialog buttons, text fields' menus) matches: Chinese unless another
// catalogue was chosen. Call once after the application object, before anything makes a text.
void installTranslations();

// The Material style, light or dark following the system. Call before the first engine.
void applyApplicationStyle();

// The organisation and application names that every standard location is derived from.
void setApplicationIdentity();

// Points the standard data, configuration and cache folders into `folder`, for runs that must
// not touch the user's own (screenshots, benchmarks). Call before the application object.
void useStateFolder(const QString &folder);
