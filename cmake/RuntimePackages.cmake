# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later

# What the application loads at run time that no linker sees: QML modules, Qt plugins and the
# libraries that are opened with dlopen. dpkg-shlibdeps finds the libraries the binary links;
# these are the rest. `./dev setup` installs them and the Debian package depends on them, both
# read from this one list (one package a line, between the parentheses); the package test
# starts the application under strace and fails when it opens a file of a package that is
# missing here. (libxcursor1: the X11 platform opens it for the desktop's cursor theme.)
set(SEEDWHIRL_RUNTIME_PACKAGES
  qml6-module-qtqml
  qml6-module-qtqml-models
  qml6-module-qtqml-workerscript
  qml6-module-qtquick
  qml6-module-qtquick-controls
  qml6-module-qtquick-dialogs
  qml6-module-qtquick-layouts
  qml6-module-qtquick-shapes
  qml6-module-qtquick-templates
  qml6-module-qtquick-window
  qml6-module-qt-labs-folderlistmodel
  qt6-qpa-plugins
  libxcursor1
  qt6-translations-l10n
  libqt6svg6
  libqt6sql6-sqlite
  libsecret-1-0
)

# The credential store's services (QtKeychain talks to either over D-Bus) and a CJK font.
set(SEEDWHIRL_RECOMMENDED_PACKAGES
  "gnome-keyring | libkf5wallet-bin"
  "fonts-wqy-microhei | fonts-noto-cjk"
)
