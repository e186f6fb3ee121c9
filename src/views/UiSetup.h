#pragma once

class QQmlEngine;

// What every engine that loads the Seedwhirl module needs, shared by the application and the
// QML tests: QCoro's task type and the import path of the module's resources.
void prepareQmlEngine(QQmlEngine &engine);

// The Material style, light or dark following the system. Call before the first engine.
void applyApplicationStyle();
