#pragma once

class QQmlEngine;
class QString;

// What every engine that loads the Seedwhirl module needs, shared by the application and the
// QML tests: QCoro's task type and the import path of the module's resources.
void prepareQmlEngine(QQmlEngine &engine);

// The Material style, light or dark following the system. Call before the first engine.
void applyApplicationStyle();

// The organisation and application names that every standard location is derived from.
void setApplicationIdentity();

// Points the standard data, configuration and cache folders into `folder`, for runs that must
// not touch the user's own (screenshots, benchmarks). Call before the application object.
void useStateFolder(const QString &folder);
