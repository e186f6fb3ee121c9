#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Starts and stops a throw-away qbittorrent-nox on loopback that outlives this script.

Usage:
  qbt_server.py start STATE_DIR [--env-file FILE] [--timeout SECONDS]
  qbt_server.py restart STATE_DIR [--timeout SECONDS]
  qbt_server.py stop STATE_DIR

start   stops a server left behind in STATE_DIR, wipes its profile, writes a fresh one (legal
        notice accepted, DHT/LSD/PeX off, a high authentication-failure limit, WebUI on a free
        127.0.0.1 port, save path STATE_DIR/profile/downloads), starts the server in the
        background, waits until the WebUI answers and prints "PORT <n>". The env file
        (default STATE_DIR/server.env) then holds SEEDWHIRL_E2E_* lines, one KEY=VALUE each:
        HOST, PORT, USERNAME, PASSWORD, SAVE_PATH, PROFILE, and STATE_DIR, PYTHON and TOOL
        (how to run "restart" on this server).
restart stops the server and starts it again on the same profile and port: every session the
        server handed out is forgotten, its torrents stay.
stop    stops the server (SIGTERM, SIGKILL after a bound); nothing running is not an error.

The server's output goes to STATE_DIR/qbittorrent.log. Nothing leaves the machine.
"""
import os
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import time
import urllib.error
import urllib.request

USER, PASSWORD = "admin", "adminadmin"
HOST = "127.0.0.1"


def free_port():
    with socket.socket() as s:
        s.bind((HOST, 0))
        return s.getsockname()[1]


def profile_dir(state):
    return os.path.join(state, "profile")


def downloads_dir(state):
    return os.path.join(profile_dir(state), "downloads")


def pid_file(state):
    return os.path.join(state, "server.pid")


def log_file(state):
    return os.path.join(state, "qbittorrent.log")


def write_profile(root, port, peer_port, downloads):
    conf_dir = os.path.join(root, "qBittorrent", "config")
    os.makedirs(conf_dir, exist_ok=True)
    os.makedirs(downloads, exist_ok=True)
    with open(os.path.join(conf_dir, "qBittorrent.conf"), "w") as f:
        # A short refresh interval makes state changes visible to pollers sooner. Peers and
        # trackers are reached from 127.0.0.1 only: an announce over IPv6 to a loopback tracker
        # would hang until its time-out and keep the tracker "updating" that long.
        f.write("[LegalNotice]\nAccepted=true\n\n[BitTorrent]\nSession\\RefreshInterval=250\n"
                "Session\\Interface=lo\nSession\\InterfaceName=lo\nSession\\InterfaceAddress=127.0.0.1\n\n"
                "[Preferences]\n"
                f"WebUI\\Address={HOST}\nWebUI\\Port={port}\nWebUI\\MaxAuthenticationFailCount=1000\n"
                f"Downloads\\SavePath={downloads}\nConnection\\PortRangeMin={peer_port}\n"
                "Bittorrent\\DHT=false\nBittorrent\\LSD=false\nBittorrent\\PeX=false\n")


def wait_until_ready(proc_alive, port, timeout, log_name, https=False):
    """Polls the WebUI until it answers at all (403 without a session counts)."""
    deadline = time.monotonic() + timeout
    url = f"{'https' if https else 'http'}://{HOST}:{port}/api/v2/app/version"
    # The certificate is the test's own: whether it is trusted is not what this waits for.
    context = ssl._create_unverified_context() if https else None
    while True:
        try:
            urllib.request.urlopen(url, timeout=1, context=context)
            return
        except urllib.error.HTTPError:
            return
        except OSError:
            pass
        if not proc_alive():
            raise RuntimeError("qbittorrent-nox exited before its WebUI answered; see " + log_name)
        if time.monotonic() > deadline:
            raise RuntimeError(f"qbittorrent-nox did not answer on port {port} within {timeout} s; see " + log_name)
        time.sleep(0.05)


def spawn(root, log_name, detached):
    log = open(log_name, "ab")
    return subprocess.Popen(["qbittorrent-nox", f"--profile={root}"], stdout=log, stderr=log,
                            stdin=subprocess.DEVNULL, start_new_session=detached)


def start_server(root, timeout=20):
    """A server child of this process with its profile in root: (Popen, port, downloads)."""
    port, peer_port = free_port(), free_port()
    downloads = os.path.join(root, "downloads")
    write_profile(root, port, peer_port, downloads)
    log_name = os.path.join(root, "qbittorrent.log")
    proc = spawn(root, log_name, detached=False)
    wait_until_ready(lambda: proc.poll() is None, port, timeout, log_name)
    return proc, port, downloads


# --- A server that outlives this script, recorded in a state directory -------------------

def process_alive(pid):
    """True while pid runs; a zombie (an exited server nobody reaped) counts as gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            state = f.read().rsplit(")", 1)[1].split()[0]
        return state not in ("Z", "X")
    except (OSError, IndexError):
        return False


def recorded_pid(state):
    """The pid of the server of this state directory, if that process is still ours."""
    try:
        with open(pid_file(state)) as f:
            pid = int(f.read().strip())
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            args = f.read().split(b"\0")
    except (OSError, ValueError):
        return None
    if f"--profile={profile_dir(state)}".encode() not in args:
        return None  # the pid was reused by something else
    return pid if process_alive(pid) else None


def stop(state, grace=15):
    pid = recorded_pid(state)
    if pid is not None:
        os.kill(pid, signal.SIGTERM)
        deadline = time.monotonic() + grace
        while process_alive(pid) and time.monotonic() < deadline:
            time.sleep(0.05)
        if process_alive(pid):
            os.kill(pid, signal.SIGKILL)
            deadline = time.monotonic() + 5
            while process_alive(pid) and time.monotonic() < deadline:
                time.sleep(0.05)
    try:
        os.remove(pid_file(state))
    except FileNotFoundError:
        pass


def configured_port(state):
    conf = os.path.join(profile_dir(state), "qBittorrent", "config", "qBittorrent.conf")
    with open(conf) as f:
        for line in f:
            if line.startswith("WebUI\\Port="):
                return int(line.split("=", 1)[1])
    raise RuntimeError("no WebUI port in " + conf)


def launch(state, port, timeout):
    proc = spawn(profile_dir(state), log_file(state), detached=True)
    with open(pid_file(state), "w") as f:
        f.write(str(proc.pid))
    try:
        wait_until_ready(lambda: proc.poll() is None, port, timeout, log_file(state))
    except RuntimeError:
        stop(state)
        raise


def start(state, env_file, timeout):
    stop(state)
    shutil.rmtree(profile_dir(state), ignore_errors=True)
    os.makedirs(state, exist_ok=True)
    try:
        os.remove(log_file(state))
    except FileNotFoundError:
        pass
    port, peer_port = free_port(), free_port()
    write_profile(profile_dir(state), port, peer_port, downloads_dir(state))
    launch(state, port, timeout)
    with open(env_file, "w") as f:
        f.write(f"SEEDWHIRL_E2E_HOST={HOST}\nSEEDWHIRL_E2E_PORT={port}\n"
                f"SEEDWHIRL_E2E_USERNAME={USER}\nSEEDWHIRL_E2E_PASSWORD={PASSWORD}\n"
                f"SEEDWHIRL_E2E_SAVE_PATH={downloads_dir(state)}\n"
                f"SEEDWHIRL_E2E_PROFILE={profile_dir(state)}\n"
                f"SEEDWHIRL_E2E_STATE_DIR={state}\n"
                f"SEEDWHIRL_E2E_PYTHON={sys.executable}\n"
                f"SEEDWHIRL_E2E_TOOL={os.path.abspath(__file__)}\n")
    print(f"PORT {port}", flush=True)


def restart(state, timeout):
    port = configured_port(state)
    stop(state)
    launch(state, port, timeout)
    print(f"PORT {port}", flush=True)


def option(args, name, default):
    if name in args:
        i = args.index(name)
        if i + 1 < len(args):
            return args[i + 1]
        sys.exit(f"{name} needs a value")
    return default


def main(args):
    if len(args) < 2 or args[0] not in ("start", "restart", "stop"):
        sys.exit(__doc__)
    command, state = args[0], os.path.abspath(args[1])
    timeout = float(option(args, "--timeout", "20"))
    try:
        if command == "start":
            start(state, os.path.abspath(option(args, "--env-file", os.path.join(state, "server.env"))), timeout)
        elif command == "restart":
            restart(state, timeout)
        else:
            stop(state)
    except (OSError, RuntimeError) as e:
        sys.exit(f"qbt_server.py {command}: {e}")


if __name__ == "__main__":
    main(sys.argv[1:])
