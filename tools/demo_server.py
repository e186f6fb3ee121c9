#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Seedwhirl developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""A throw-away qbittorrent-nox on loopback with a handful of generated torrents.

Usage: demo_server.py DIR [--port-file FILE]
Starts the server with its profile in DIR, fills it with seeding, paused and downloading
torrents in categories and with tags, prints "PORT <n>" and keeps running until it receives
SIGTERM or SIGINT, then stops the server. A second server (in DIR/peer) trades a few torrents
with it at changing rates, so that the list and the speeds move. Nothing leaves the machine:
both listen on 127.0.0.1 only, with DHT, LSD and PeX off.
"""
import hashlib
import http.cookiejar
import os
import random
import threading
import signal
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.parse
import urllib.request
import uuid

USER, PASSWORD = "admin", "adminadmin"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def bencode(value):
    if isinstance(value, int):
        return b"i%de" % value
    if isinstance(value, bytes):
        return b"%d:%s" % (len(value), value)
    if isinstance(value, str):
        return bencode(value.encode())
    if isinstance(value, list):
        return b"l" + b"".join(bencode(v) for v in value) + b"e"
    if isinstance(value, dict):
        items = sorted((k.encode() if isinstance(k, str) else k, v) for k, v in value.items())
        return b"d" + b"".join(bencode(k) + bencode(v) for k, v in items) + b"e"
    raise TypeError(value)


def make_torrent(path, piece_length=262144):
    """The .torrent bytes of a file, or of a folder with every file under it."""
    if os.path.isdir(path):
        files = sorted(os.path.relpath(os.path.join(d, f), path)
                       for d, _, names in os.walk(path) for f in names)
        data = b"".join(open(os.path.join(path, f), "rb").read() for f in files)
        info = {"name": os.path.basename(path), "piece length": piece_length,
                "files": [{"length": os.path.getsize(os.path.join(path, f)), "path": f.split(os.sep)}
                          for f in files]}
    else:
        data = open(path, "rb").read()
        info = {"name": os.path.basename(path), "length": len(data), "piece length": piece_length}
    info["pieces"] = b"".join(hashlib.sha1(data[i:i + piece_length]).digest()
                              for i in range(0, len(data), piece_length))
    return bencode({"announce": "http://127.0.0.1:1/announce", "info": info,
                    "created by": "Seedwhirl demo"})


def info_hash(torrent_bytes):
    """The v1 info hash of .torrent bytes that make_torrent wrote (the info dictionary is last)."""
    start = torrent_bytes.index(b"4:infod") + len(b"4:info")
    return hashlib.sha1(torrent_bytes[start:-1]).hexdigest()


class Client:
    def __init__(self, base):
        self.base = base
        self.opener = urllib.request.build_opener(
            urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))

    def request(self, path, data=None, headers=None):
        req = urllib.request.Request(self.base + path, data=data, headers=headers or {})
        with self.opener.open(req, timeout=10) as r:
            return r.read()

    def form(self, path, **fields):
        return self.request(path, urllib.parse.urlencode(fields).encode(),
                            {"Content-Type": "application/x-www-form-urlencoded"})

    def add(self, torrent_name=None, torrent_bytes=None, urls=None, **fields):
        boundary = "Boundary-" + str(uuid.uuid4()).upper()
        parts = []
        if torrent_bytes is not None:
            parts.append(b'Content-Disposition: form-data; name="torrents"; filename="%s"\r\n'
                         b"Content-Type: application/x-bittorrent\r\n\r\n" % torrent_name.encode()
                         + torrent_bytes)
        if urls is not None:
            parts.append(b'Content-Disposition: form-data; name="urls"\r\n\r\n' + urls.encode())
        for k, v in fields.items():
            parts.append(b'Content-Disposition: form-data; name="%s"\r\n\r\n%s' % (k.encode(), v.encode()))
        body = b"".join(b"--" + boundary.encode() + b"\r\n" + p + b"\r\n" for p in parts)
        body += b"--" + boundary.encode() + b"--\r\n"
        self.request("/api/v2/torrents/add", body,
                     {"Content-Type": "multipart/form-data; boundary=" + boundary})


def start_server(root):
    port, peer_port = free_port(), free_port()
    downloads = os.path.join(root, "downloads")
    conf_dir = os.path.join(root, "qBittorrent", "config")
    os.makedirs(conf_dir, exist_ok=True)
    os.makedirs(downloads, exist_ok=True)
    with open(os.path.join(conf_dir, "qBittorrent.conf"), "w") as f:
        f.write("[LegalNotice]\nAccepted=true\n\n[Preferences]\n"
                f"WebUI\\Address=127.0.0.1\nWebUI\\Port={port}\nWebUI\\MaxAuthenticationFailCount=1000\n"
                f"Downloads\\SavePath={downloads}\nConnection\\PortRangeMin={peer_port}\n"
                "Bittorrent\\DHT=false\nBittorrent\\LSD=false\nBittorrent\\PeX=false\n")
    log = open(os.path.join(root, "qbittorrent.log"), "wb")
    proc = subprocess.Popen(["qbittorrent-nox", f"--profile={root}"], stdout=log, stderr=log,
                            stdin=subprocess.DEVNULL)
    base = f"http://127.0.0.1:{port}"
    for _ in range(100):
        try:
            urllib.request.urlopen(base + "/api/v2/app/version", timeout=1)
            break
        except urllib.error.HTTPError:
            break  # 403 without a session: the server is up
        except OSError:
            if proc.poll() is not None:
                sys.exit("qbittorrent-nox exited; see " + log.name)
            time.sleep(0.1)
    return proc, port, downloads, peer_port


LIVE = [  # name, size in MiB, which server holds the data at first
    ("Caminandes.Llamigos.1080p.mkv", 40, "peer"),
    ("Elephants.Dream.2006.1080p.mkv", 48, "peer"),
    ("Cosmos.Laundromat.1080p.mkv", 40, "demo"),
]


def add_live(demo, demo_downloads, demo_port, peer, peer_downloads, peer_port):
    """Torrents that move: the demo server downloads two from the peer and seeds one to it."""
    hashes = []
    for name, mib, holder in LIVE:
        seeder, seeder_dir, seeder_port, leecher, leecher_dir = (
            (peer, peer_downloads, peer_port, demo, os.path.join(demo_downloads, "video")) if holder == "peer"
            else (demo, os.path.join(demo_downloads, "video"), demo_port, peer, peer_downloads))
        os.makedirs(seeder_dir, exist_ok=True)
        path = os.path.join(seeder_dir, name)
        with open(path, "wb") as f:
            f.write(hashlib.sha256(name.encode()).digest() * (mib * 32768))
        data = make_torrent(path)
        seeder.add(torrent_name=name + ".torrent", torrent_bytes=data, savepath=seeder_dir, skip_checking="true",
                   category="video" if seeder is demo else "", tags="demo" if seeder is demo else "")
        leecher.add(torrent_name=name + ".torrent", torrent_bytes=data, savepath=leecher_dir,
                    category="video" if leecher is demo else "", tags="demo" if leecher is demo else "")
        hashes.append((info_hash(data), leecher, seeder_port))
    for h, leecher, seeder_port in hashes:
        for _ in range(50):  # the torrent takes a moment to be there
            try:
                leecher.form("/api/v2/torrents/addPeers", hashes=h, peers=f"127.0.0.1:{seeder_port}")
                break
            except urllib.error.HTTPError:
                time.sleep(0.1)
    return [h for h, _, _ in hashes]


def vary_rates(clients, hashes, stop):
    """Changes the torrents' download limits now and then, so that the rates rise and fall."""
    while True:
        for client in clients:
            try:
                client.form("/api/v2/torrents/setDownloadLimit", hashes="|".join(hashes),
                            limit=str(random.randint(40, 260) * 1024))
            except OSError:
                pass
        if stop.wait(12):
            return


def populate(client, downloads):
    client.form("/api/v2/auth/login", username=USER, password=PASSWORD)
    # Room for every demo torrent to be active at once.
    client.form("/api/v2/app/setPreferences",
                json='{"max_active_downloads": 10, "max_active_uploads": 10, "max_active_torrents": 20}')
    client.form("/api/v2/torrents/createCategory", category="linux", savePath=os.path.join(downloads, "linux"))
    client.form("/api/v2/torrents/createCategory", category="video", savePath=os.path.join(downloads, "video"))
    client.form("/api/v2/torrents/createCategory", category="music", savePath="")
    client.form("/api/v2/torrents/createTags", tags="iso,demo,4k,lossless")

    seeds = [  # name, size in KiB, category, tags, paused
        ("debian-12.4.0-amd64-netinst.iso", 3072, "linux", "iso,demo", False),
        ("ubuntu-24.04-desktop-amd64.iso", 4096, "linux", "iso", False),
        ("Big Buck Bunny (2008) 1080p.mkv", 2048, "video", "4k", True),
        ("Sintel.2010.720p.mp4", 1536, "video", "", False),
        ("Goldberg Variations (FLAC).zip", 1024, "music", "lossless,demo", True),
        ("project-notes.tar.gz", 256, "", "", False),
    ]
    for name, kib, category, tags, paused in seeds:
        folder = os.path.join(downloads, category) if category in ("linux", "video") else downloads
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(hashlib.sha256(name.encode()).digest() * (kib * 32))
        fields = {"savepath": folder, "paused": "true" if paused else "false"}
        if category:
            fields["category"] = category
        if tags:
            fields["tags"] = tags
        client.add(torrent_name=name + ".torrent", torrent_bytes=make_torrent(path), **fields)

    # A folder of files: the detail screen's file tree.
    folder = os.path.join(downloads, "video", "Blender Open Movies")
    contents = [("Sintel/sintel-1080p.mkv", 768), ("Sintel/subtitles/zh-CN.srt", 8),
                ("Sintel/subtitles/en.srt", 8), ("Spring/spring-2160p.mkv", 1024), ("README.txt", 1)]
    for name, kib in contents:
        path = os.path.join(folder, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(hashlib.sha256(name.encode()).digest() * (kib * 32))
    client.add(torrent_name="Blender Open Movies.torrent", torrent_bytes=make_torrent(folder),
               savepath=os.path.dirname(folder), category="video", tags="demo")

    magnets = [  # stays in metaDL without a network: a torrent that is "downloading"
        ("magnet:?xt=urn:btih:" + hashlib.sha1(b"seedwhirl-demo-1").hexdigest() + "&dn=archlinux-2024.06.01-x86_64.iso", "linux", "iso"),
        ("magnet:?xt=urn:btih:" + hashlib.sha1(b"seedwhirl-demo-2").hexdigest() + "&dn=Tears.of.Steel.4K.mkv", "video", "4k,demo"),
    ]
    for link, category, tags in magnets:
        client.add(urls=link, category=category, tags=tags)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = os.path.abspath(sys.argv[1])
    port_file = sys.argv[sys.argv.index("--port-file") + 1] if "--port-file" in sys.argv else None
    proc, port, downloads, demo_peer_port = start_server(root)
    peer_proc, peer_port, peer_downloads, peer_peer_port = start_server(os.path.join(root, "peer"))
    stopping = threading.Event()

    # The handler only asks the servers to stop; the wait below returns once they have. Waiting
    # inside the handler would take the lock that the interrupted wait already holds.
    def stop(*_):
        stopping.set()
        peer_proc.terminate()
        proc.terminate()
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    demo = Client(f"http://127.0.0.1:{port}")
    populate(demo, downloads)
    peer = Client(f"http://127.0.0.1:{peer_port}")
    peer.form("/api/v2/auth/login", username=USER, password=PASSWORD)
    live = add_live(demo, downloads, demo_peer_port, peer, peer_downloads, peer_peer_port)
    threading.Thread(target=vary_rates, args=([demo, peer], live, stopping), daemon=True).start()
    print(f"PORT {port}", flush=True)
    if port_file:
        with open(port_file, "w") as f:
            f.write(str(port))
    proc.wait()
    peer_proc.terminate()
    peer_proc.wait()
    sys.exit(0)


if __name__ == "__main__":
    main()
