#!/bin/sh
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
# check-package.sh install|deb BUILD_DIR WORK_DIR APP_ID VERSION
#   install: `cmake --install` into WORK_DIR/root, the desktop entry and the AppStream file pass
#            their validators, the icon is in the hicolor theme, the binary prints its version.
#   deb:     `cpack -G DEB` into WORK_DIR, the package unpacked with `dpkg-deb -x`, its binary
#            prints its version, and its dependencies hold the computed libraries and the
#            run-time QML modules.
set -eu
mode=$1 build=$2 work=$3 id=$4 version=$5
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

runs() { # the unpacked binary, with nothing of the build tree to lean on
  out=$(cd "$work" && "$1/usr/bin/seedwhirl" --version) || fail "the installed binary does not run"
  case $out in *"$version"*) ;; *) fail "version text '$out' lacks $version" ;; esac
}

case $mode in
install)
  DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
  root=$work/root
  desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
  grep -q '^MimeType=x-scheme-handler/magnet;application/x-bittorrent;$' "$root/usr/share/applications/$id.desktop" ||
    fail "the desktop entry does not claim magnet links and torrent files"
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "AppStream file"
  test -s "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "no icon in the hicolor theme"
  runs "$root"
  ;;
deb)
  (cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
  deb=$(ls "$work"/*.deb)
  dpkg-deb -x "$deb" "$work/root"
  runs "$work/root"
  depends=$(dpkg-deb -f "$deb" Depends)
  for wanted in libqt6core6 libqt6qml6 libqt6keychain1 qml6-module-qtquick-controls libqt6svg6; do
    case $depends in *"$wanted"*) ;; *) fail "Depends lacks $wanted: $depends" ;; esac
  done
  test -f "$work/root/usr/share/applications/$id.desktop" || fail "the package has no desktop entry"
  ;;
*) fail "unknown mode $mode" ;;
esac
echo "ok: $mode"
