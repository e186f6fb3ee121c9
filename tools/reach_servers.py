#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The ways of reaching a qBittorrent server that a user meets, on loopback, outliving this script.

Usage:
  reach_servers.py start STATE_DIR (--backend-port N | --backend-env FILE) [--timeout SECONDS]
  reach_servers.py use-cert STATE_DIR NAME [--timeout SECONDS]
  reach_servers.py stop STATE_DIR

start    stops whatever an earlier start left in STATE_DIR, then makes, with openssl, in
         STATE_DIR/certs: a throw-away CA and the certificates NAME.pem/NAME.key
           self    self-signed for 127.0.0.1 (CN and IP SAN)
           other   another self-signed one for 127.0.0.1
           signed  issued by the CA for IP 127.0.0.1
           wrong   issued by the CA for the name wrong.invalid only
         and starts, all on 127.0.0.1 with free ports:
           - an HTTPS qbittorrent-nox with its own profile, serving "self";
           - a plain qbittorrent-nox that bans an address after 2 failed logins for an hour;
           - nginx in front of the backend server (the port given, or SEEDWHIRL_E2E_PORT of the
             env file that qbt_server.py wrote) with the locations /qbt/ (path prefix only),
             /basic/ (HTTP Basic), /header/ (a required X-Access-Token header) and /dead/ (a
             backend where nothing listens: 502);
           - socat publishing the backend server on another port.
         Writes STATE_DIR/reach.env, SEEDWHIRL_REACH_* KEY=VALUE lines: the ports, the
         certificate and CA paths, SHA-256 fingerprints as openssl prints them, the proxy
         credentials and header value, the servers' credentials, the HTTPS server's own log
         file (it notes every login and failed login there), and how to run
         this tool again (STATE_DIR, PYTHON, TOOL).
use-cert stops the HTTPS server, points it at the certificate NAME and starts it again on the
         same port and profile: its sessions are gone.
stop     stops everything start started (also after a start that failed half-way); nothing
         running is not an error.

Nothing leaves the machine; every file, log and temporary path is inside STATE_DIR.
"""
import os
import secrets
import shutil
import signal
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qbt_server  # noqa: E402

HOST = qbt_server.HOST
CERT_NAMES = ("self", "other", "signed", "wrong")
PROXY_USER = "proxy-user"
HEADER_NAME = "X-Access-Token"


def path(state, *parts):
    return os.path.join(state, *parts)


def run(args, cwd, stdin_text=None):
    done = subprocess.run(args, cwd=cwd, input=stdin_text, stdin=None if stdin_text is not None else subprocess.DEVNULL,
                          capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError(f"{args[0]} {args[1]} failed: {done.stderr.strip()}")
    return done.stdout


# --- Certificates ---------------------------------------------------------------------------

def make_certificates(certs):
    os.makedirs(certs, exist_ok=True)
    req = ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2"]
    for name in ("self", "other"):
        run(req + ["-keyout", f"{name}.key", "-out", f"{name}.pem", "-subj", f"/CN={HOST}/O=Seedwhirl {name}",
                   "-addext", f"subjectAltName=IP:{HOST}"], certs)
    run(req + ["-keyout", "ca.key", "-out", "ca.pem", "-subj", "/CN=Seedwhirl throw-away CA",
               "-addext", "basicConstraints=critical,CA:TRUE",
               "-addext", "keyUsage=critical,keyCertSign,cRLSign"], certs)
    for name, common, alt in (("signed", HOST, f"IP:{HOST}"), ("wrong", "wrong.invalid", "DNS:wrong.invalid")):
        with open(path(certs, f"{name}.ext"), "w") as f:
            f.write(f"subjectAltName={alt}\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
        run(["openssl", "req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key",
             "-out", f"{name}.csr", "-subj", f"/CN={common}"], certs)
        run(["openssl", "x509", "-req", "-in", f"{name}.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
             "-CAcreateserial", "-days", "2", "-extfile", f"{name}.ext", "-out", f"{name}.pem"], certs)


def fingerprint(pem):
    out = run(["openssl", "x509", "-in", pem, "-noout", "-fingerprint", "-sha256"], os.path.dirname(pem))
    return out.strip().split("=", 1)[1]


# --- The two qbittorrent-nox of their own ------------------------------------------------

def server_conf(state):
    return path(qbt_server.profile_dir(state), "qBittorrent", "config", "qBittorrent.conf")


def set_conf(state, values):
    """Replaces or adds [Preferences] keys; the server rewrites its file on exit, so only while stopped."""
    with open(server_conf(state)) as f:
        lines = f.read().splitlines()
    rest = dict(values)
    lines = [f"{key}={rest.pop(key)}" if (key := line.split("=", 1)[0]) in rest else line for line in lines]
    at = lines.index("[Preferences]") + 1
    lines[at:at] = [f"{key}={value}" for key, value in rest.items()]
    with open(server_conf(state), "w") as f:
        f.write("\n".join(lines) + "\n")


def launch_server(state, https, timeout):
    port = qbt_server.configured_port(state)
    proc = qbt_server.spawn(qbt_server.profile_dir(state), qbt_server.log_file(state), detached=True)
    with open(qbt_server.pid_file(state), "w") as f:
        f.write(str(proc.pid))
    try:
        qbt_server.wait_until_ready(lambda: proc.poll() is None, port, timeout, qbt_server.log_file(state), https)
    except BaseException:
        # Its own object, not the pid file: just after the exec /proc may not show the arguments
        # the pid file check looks for yet.
        proc.kill()
        proc.wait()
        raise
    return port


def start_server(state, values, https, timeout):
    qbt_server.stop(state)
    shutil.rmtree(state, ignore_errors=True)
    os.makedirs(state)
    qbt_server.write_profile(qbt_server.profile_dir(state), qbt_server.free_port(), qbt_server.free_port(),
                             qbt_server.downloads_dir(state))
    set_conf(state, values)
    return launch_server(state, https, timeout)


def https_values(state, name):
    certs = path(os.path.dirname(state), "certs")
    return {"WebUI\\HTTPS\\Enabled": "true", "WebUI\\HTTPS\\CertificatePath": path(certs, f"{name}.pem"),
            "WebUI\\HTTPS\\KeyPath": path(certs, f"{name}.key")}


# --- nginx and socat, each its own process group -------------------------------------------

def nginx_conf(state, backend, nginx_port, dead_port, header_value):
    n = path(state, "nginx")
    temps = "\n".join(f"    {kind}_temp_path {n}/{kind};" for kind in
                      ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
    backend_url = f"http://{HOST}:{backend}/"
    # Run as root, nginx would hand its workers to "nobody", who cannot write the temporary paths.
    user = "user root;\n" if os.geteuid() == 0 else ""
    return f"""daemon off;
{user}pid {n}/nginx.pid;
error_log {n}/error.log;
worker_processes 1;
events {{ worker_connections 64; }}
http {{
    access_log {n}/access.log;
{temps}
    client_max_body_size 16m;
    server {{
        listen {HOST}:{nginx_port};
        location /qbt/ {{ proxy_pass {backend_url}; }}
        location /basic/ {{
            auth_basic "Seedwhirl";
            auth_basic_user_file {n}/htpasswd;
            proxy_set_header Authorization "";
            proxy_pass {backend_url};
        }}
        location /header/ {{
            if ($http_x_access_token != "{header_value}") {{ return 403; }}
            proxy_pass {backend_url};
        }}
        location /dead/ {{ proxy_pass http://{HOST}:{dead_port}/; }}
    }}
}}
"""


def group_members(pgid, names):
    """Pids of the process group pgid whose program is one of names (a reused id matches nothing)."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                program = f.read().split(b"\0")[0].decode(errors="replace")
        except (OSError, IndexError):
            continue
        # nginx renames itself "nginx: master process ...", "nginx: worker process".
        words = program.replace(":", " ").split()
        if int(fields[2]) == pgid and fields[0] not in ("Z", "X") and words and os.path.basename(words[0]) in names:
            found.append(int(entry))
    return found


def spawn_group(state, name, args):
    log = open(path(state, f"{name}.log"), "ab")
    proc = subprocess.Popen(args, stdout=log, stderr=log, stdin=subprocess.DEVNULL, start_new_session=True)
    with open(path(state, f"{name}.pid"), "w") as f:
        f.write(str(proc.pid))
    return proc


def stop_group(state, name, grace=10):
    try:
        with open(path(state, f"{name}.pid")) as f:
            pgid = int(f.read().strip())
    except (OSError, ValueError):
        return
    for sig, bound in ((signal.SIGTERM, grace), (signal.SIGKILL, 5)):
        if not group_members(pgid, (name,)):
            break
        try:
            os.killpg(pgid, sig)
        except ProcessLookupError:
            break
        deadline = time.monotonic() + bound
        while group_members(pgid, (name,)) and time.monotonic() < deadline:
            time.sleep(0.05)
    os.remove(path(state, f"{name}.pid"))


def wait_listening(port, proc, name, timeout):
    deadline = time.monotonic() + timeout
    while True:
        try:
            with socket.create_connection((HOST, port), timeout=1):
                return
        except OSError:
            pass
        if proc.poll() is not None:
            raise RuntimeError(f"{name} exited early")
        if time.monotonic() > deadline:
            raise RuntimeError(f"{name} did not listen on {port} within {timeout} s")
        time.sleep(0.05)


# --- Commands -------------------------------------------------------------------------------

def stop(state):
    for name in ("nginx", "socat"):
        stop_group(state, name)
    for server in ("https", "ban"):
        qbt_server.stop(path(state, server))


def start(state, backend, timeout):
    stop(state)
    os.makedirs(state, exist_ok=True)
    shutil.rmtree(path(state, "certs"), ignore_errors=True)
    shutil.rmtree(path(state, "nginx"), ignore_errors=True)
    try:
        certs = path(state, "certs")
        make_certificates(certs)
        https_port = start_server(path(state, "https"), https_values(path(state, "https"), "self"), True, timeout)
        ban_port = start_server(path(state, "ban"), {"WebUI\\MaxAuthenticationFailCount": "2",
                                                     "WebUI\\BanDuration": "3600"}, False, timeout)

        proxy_password, header_value = secrets.token_urlsafe(12), secrets.token_urlsafe(16)
        os.makedirs(path(state, "nginx"))
        with open(path(state, "nginx", "htpasswd"), "w") as f:
            f.write(f"{PROXY_USER}:" + run(["openssl", "passwd", "-apr1", "-stdin"], state, proxy_password + "\n"))
        nginx_port, dead_port, socat_port = (qbt_server.free_port() for _ in range(3))
        with open(path(state, "nginx", "nginx.conf"), "w") as f:
            f.write(nginx_conf(state, backend, nginx_port, dead_port, header_value))
        nginx = spawn_group(state, "nginx", ["nginx", "-p", path(state, "nginx"), "-e", path(state, "nginx", "error.log"),
                                             "-c", path(state, "nginx", "nginx.conf")])
        socat = spawn_group(state, "socat", ["socat", f"TCP-LISTEN:{socat_port},bind={HOST},fork,reuseaddr",
                                             f"TCP:{HOST}:{backend}"])
        wait_listening(nginx_port, nginx, "nginx", timeout)
        wait_listening(socat_port, socat, "socat", timeout)
    except BaseException:
        stop(state)
        raise

    values = {"BACKEND_PORT": backend, "HTTPS_PORT": https_port, "BAN_PORT": ban_port,
              "NGINX_PORT": nginx_port, "SOCAT_PORT": socat_port,
              "USERNAME": qbt_server.USER, "PASSWORD": qbt_server.PASSWORD,
              "HTTPS_LOG": path(qbt_server.profile_dir(path(state, "https")), "qBittorrent", "data", "logs",
                                "qbittorrent.log"),
              "CA": path(certs, "ca.pem"), "PROXY_USER": PROXY_USER, "PROXY_PASSWORD": proxy_password,
              "HEADER_NAME": HEADER_NAME, "HEADER_VALUE": header_value,
              "STATE_DIR": state, "PYTHON": sys.executable, "TOOL": os.path.abspath(__file__)}
    for name in CERT_NAMES:
        values[f"CERT_{name.upper()}"] = path(certs, f"{name}.pem")
        values[f"FINGERPRINT_{name.upper()}"] = fingerprint(path(certs, f"{name}.pem"))
    with open(path(state, "reach.env"), "w") as f:
        f.writelines(f"SEEDWHIRL_REACH_{key}={value}\n" for key, value in values.items())
    print(f"HTTPS {https_port} BAN {ban_port} NGINX {nginx_port} SOCAT {socat_port}", flush=True)


def use_cert(state, name, timeout):
    if name not in CERT_NAMES:
        raise RuntimeError(f"no certificate {name!r}; one of {', '.join(CERT_NAMES)}")
    server = path(state, "https")
    qbt_server.stop(server)
    set_conf(server, https_values(server, name))
    print(f"PORT {launch_server(server, True, timeout)}", flush=True)


def backend_port(args):
    if "--backend-port" in args:
        return int(qbt_server.option(args, "--backend-port", "0"))
    env = qbt_server.option(args, "--backend-env", None)
    if env is None:
        sys.exit("start needs --backend-port N or --backend-env FILE")
    with open(env) as f:
        for line in f:
            if line.startswith("SEEDWHIRL_E2E_PORT="):
                return int(line.split("=", 1)[1])
    raise RuntimeError(f"{env} names no SEEDWHIRL_E2E_PORT")


def main(args):
    if len(args) < 2 or args[0] not in ("start", "use-cert", "stop") or (args[0] == "use-cert" and len(args) < 3):
        sys.exit(__doc__)
    command, state = args[0], os.path.abspath(args[1])
    timeout = float(qbt_server.option(args, "--timeout", "20"))
    try:
        if command == "start":
            start(state, backend_port(args), timeout)
        elif command == "use-cert":
            use_cert(state, args[2], timeout)
        else:
            stop(state)
    except (OSError, RuntimeError, ValueError) as e:
        sys.exit(f"reach_servers.py {command}: {e}")


if __name__ == "__main__":
    main(sys.argv[1:])
