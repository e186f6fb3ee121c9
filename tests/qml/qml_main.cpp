// Runs the tst_*.qml files of this folder with the Seedwhirl module loaded as the application
// loads it, in the Material style.

#include "QmlTestSetup.h"

#include <QtQuickTest>

QUICK_TEST_MAIN_WITH_SETUP(seedwhirl_qml, QmlTestSetup)
