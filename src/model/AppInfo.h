#pragma once

#include <QString>

// The application's version and build number from the build; "Unknown" when absent.
QString appVersion();
QString buildNumber();
