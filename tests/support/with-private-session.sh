#!/bin/sh
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private D-Bus session with an unlocked gnome-keyring, in a throw-away
# HOME, so that nothing touches the user's own keyring, settings or data.
# Usage: with-private-session.sh COMMAND [ARGS...]
set -eu
tmp=$(mktemp -d "${TMPDIR:-/tmp}/seedwhirl-session.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
# Ended by a signal, the folder goes as well.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir -m 0700 "$tmp/run"
export HOME="$tmp" XDG_DATA_HOME="$tmp/share" XDG_CONFIG_HOME="$tmp/config" \
  XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/run"
rc=0
dbus-run-session -- sh -c 'printf seedwhirl | gnome-keyring-daemon --unlock --components=secrets >/dev/null; exec "$@"' sh "$@" || rc=$?
exit $rc
