#!/bin/sh
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
# check-demo-cleanup.sh ROOT: `./dev demo` ended by `timeout` leaves no process and no file
# behind. Everything the demo starts inherits its TMPDIR, which is how what is left is found.
set -eu
root=$1
marker=$(mktemp -d "${TMPDIR:-/tmp}/seedwhirl-demo-check.XXXXXX")
log=$marker.log
fail() { echo "FAIL: $*" >&2; cat "$log" >&2; rm -rf "$marker"; exit 1; }

rc=0
TMPDIR=$marker SEEDWHIRL_SKIP_BUILD=1 QT_QPA_PLATFORM=offscreen timeout 20 "$root/dev" demo >"$log" 2>&1 || rc=$?
[ "$rc" = 124 ] || fail "the demo ended with status $rc before its time was up"
grep -q "demo server on 127.0.0.1" "$log" || fail "the demo server never started"

# Daemons that leave the group (the keyring) go with their session bus: give them a moment.
left=""
for _ in $(seq 1 50); do
  left=$(grep -lsF "TMPDIR=$marker" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 | tr '\n' ' ' || true)
  [ -z "$left" ] && break
  sleep 0.1
done
[ -z "$left" ] || fail "processes left: $(for p in $left; do tr '\0' ' ' </proc/$p/cmdline 2>/dev/null; echo; done)"
[ -z "$(ls -A "$marker")" ] || fail "files left: $(ls -A "$marker")"
rmdir "$marker"
rm -f "$log"
echo "ok: nothing left"
