#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Whether the Debian package and `./dev setup` bring everything the application loads.

The application opens much at run time that no linker sees: QML modules, Qt plugins, libraries
opened with dlopen, translation catalogues. This runs it (and the QML tests of the screens that
load modules only when first shown) under `strace -f -e trace=openat`, maps every file it opened
under /usr to its Debian package with `dpkg -S`, and fails naming each package that is missing
from the dependency closure of the Debian package or of `./dev setup`'s list.

usage: check-closure.py --dev DEV_SCRIPT (--deb FILE.deb | --deb-dir DIR | --depends TEXT)
                        --log-dir DIR -- COMMAND...  [-- COMMAND...]
Each COMMAND is run under strace; a command may start with `xvfb:` to run on a virtual X display.
"""
import argparse
import os
import re
import subprocess
import sys

# Packages only the tests' harness loads: they are no part of what a user runs.
HARNESS_ONLY = {"qml6-module-qttest", "libqt6quicktest6", "libqt6test6", "strace", "xvfb", "xauth"}
# What the libraries look for and do well without: glibc's locale aliases, the zone of
# /etc/localtime (UTC without it), OpenSSL's configuration, and the public suffix list (Qt has
# one built in).
OPTIONAL = {"locales", "tzdata", "openssl", "publicsuffix"}
# Fonts are matched by fontconfig against whatever the machine has; the package recommends a
# CJK font, and the icon font is built into the binary.
IGNORED_PREFIXES = ("/usr/share/fonts/", "/etc/fonts/", "/usr/lib/locale/")

OPENAT = re.compile(r'^\d+\s+openat\([^,]+, "([^"]+)", [^)]*\)\s+=\s+(\d+)')


def opened_files(log_dir):
    files = set()
    for name in os.listdir(log_dir):
        with open(os.path.join(log_dir, name), errors="replace") as log:
            for line in log:
                match = OPENAT.match(line)
                if not match:
                    continue
                path = match.group(1)
                if not path.startswith(("/usr/", "/lib", "/etc/")) or path.startswith(IGNORED_PREFIXES):
                    continue
                if os.path.isfile(path):
                    files.add(path)
    return files


def owners(files):
    """Maps each file to the package that owns it (files no package owns are left out)."""
    result = {}
    for path in sorted(files):
        candidates = [path, os.path.realpath(path)]
        # On a merged /usr, dpkg knows many files by their /lib path.
        candidates += [c[len("/usr"):] for c in candidates if c.startswith("/usr/lib")]
        for candidate in candidates:
            out = subprocess.run(["dpkg-query", "-S", candidate], capture_output=True, text=True)
            if out.returncode == 0:
                package = out.stdout.split(":", 1)[0].split(",")[0].strip()
                result[path] = package
                break
    return result


def installed():
    out = subprocess.run(
        ["dpkg-query", "-W", "-f=${Package}\t${Status}\t${Provides}\t${Depends}\t${Pre-Depends}\t${Essential}\n"],
        capture_output=True, text=True, check=True).stdout
    packages, provides, essential = {}, {}, set()
    for line in out.splitlines():
        name, status, provided, depends, predepends, is_essential = (line.split("\t") + [""] * 6)[:6]
        if "ok installed" not in status:
            continue
        packages[name] = ", ".join(x for x in (depends, predepends) if x)
        for virtual in split_names(provided):
            provides.setdefault(virtual, set()).add(name)
        if is_essential == "yes":
            essential.add(name)
    return packages, provides, essential


def split_names(relation):
    """The package names of a relation field, alternatives flattened, versions and arches dropped."""
    names = []
    for part in re.split(r"[,|]", relation):
        name = re.sub(r"\(.*?\)|\[.*?\]|<.*?>", "", part).strip().split(":")[0]
        if name:
            names.append(name)
    return names


def closure(roots, packages, provides):
    seen, todo = set(), list(roots)
    while todo:
        name = todo.pop()
        for real in ({name} if name in packages else provides.get(name, set())):
            if real not in seen:
                seen.add(real)
                todo.extend(split_names(packages[real]))
    return seen


def dev_packages(dev_script):
    out = subprocess.run(["bash", "-c", '. "$1" --source-only; printf "%s\\n" "${PACKAGES[@]}"', "_", dev_script],
                         capture_output=True, text=True, check=True).stdout
    return out.split()


def run_traced(commands, log_dir):
    os.makedirs(log_dir, exist_ok=True)
    for index, command in enumerate(commands):
        prefix = []
        if command[0] == "xvfb:":
            command = command[1:]
            prefix = ["xvfb-run", "-a", "-s", "-screen 0 1280x800x24"]
        log = os.path.join(log_dir, f"trace-{index}")
        env = dict(os.environ)
        if prefix:
            env["QT_QPA_PLATFORM"] = "xcb"
            env.setdefault("LIBGL_ALWAYS_SOFTWARE", "1")
        result = subprocess.run(prefix + ["strace", "-f", "-qq", "-e", "trace=openat", "-o", log, "--"] + command,
                                env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        # 124: `timeout` ended an application that would have run on.
        if result.returncode not in (0, 124):
            sys.stderr.write(result.stdout[-4000:])
            sys.exit(f"FAIL: {' '.join(command)} exited with {result.returncode}")


def main():
    argv = sys.argv[1:]
    split = [i for i, a in enumerate(argv) if a == "--"]
    options, commands = argv[: split[0]] if split else argv, []
    for start, end in zip(split, split[1:] + [len(argv)]):
        commands.append(argv[start + 1: end])
    parser = argparse.ArgumentParser()
    parser.add_argument("--dev", required=True)
    parser.add_argument("--deb")
    parser.add_argument("--deb-dir", help="a folder holding the one .deb to check")
    parser.add_argument("--depends")
    parser.add_argument("--log-dir", required=True)
    args = parser.parse_args(options)

    if args.deb_dir:
        args.deb = next(os.path.join(args.deb_dir, f) for f in os.listdir(args.deb_dir) if f.endswith(".deb"))
    if args.deb:
        def field(name):
            return subprocess.run(["dpkg-deb", "-f", args.deb, name], capture_output=True, text=True).stdout.strip()
        depends = field("Depends")
    else:
        depends = args.depends

    run_traced(commands, args.log_dir)
    files = opened_files(args.log_dir)
    owned = owners(files)
    packages, provides, essential = installed()
    used = {}
    for path, package in owned.items():
        if package not in essential | HARNESS_ONLY | OPTIONAL:
            used.setdefault(package, path)

    lists = {
        "the Debian package's Depends": closure(split_names(depends), packages, provides),
        "./dev setup's list": closure(dev_packages(args.dev), packages, provides),
    }
    print(f"{len(files)} files opened under /usr, from {len(used)} packages")
    failed = False
    for title, covered in lists.items():
        missing = sorted(set(used) - covered)
        for package in missing:
            print(f"FAIL: {title} lacks {package} (opened {used[package]})")
        failed = failed or bool(missing)
    if failed:
        sys.exit(1)
    print("ok: every package the application loads is in both lists")


if __name__ == "__main__":
    main()
