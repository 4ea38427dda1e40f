#!/usr/bin/env python3
"""The shipped nginx site in front of two service instances: one instance stops in the middle of a
2,000-request run and every request is still answered 200. Everything listens on the loopback; nginx
runs from its own prefix in the work folder, never the system's."""

import argparse
import gzip
import http.client
import os
import re
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time

REQUESTS = 2000
CLIENTS = 8
LINE_PAGE = "/sttot/getbrief.ashx?line=1&dt=46364.25"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def start_instance(service, database, page):
    process = subprocess.Popen([service, "--db", database, "--listen", "127.0.0.1", "--port", "0", "--page", page],
                               stdout=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 120
    while time.monotonic() < deadline:
        line = process.stdout.readline()
        if not line:
            break
        found = re.search(r"serving .* on http://127\.0\.0\.1:(\d+)", line)
        if found:
            # Keep reading its output so it never blocks on a full pipe.
            threading.Thread(target=process.stdout.read, daemon=True).start()
            return process, int(found.group(1))
    process.kill()
    fail(f"the instance on {database} did not start")


def make_certificates(work, openssl):
    """A CA of the test's own and a certificate for the name localhost only, signed by it."""
    def run(*arguments):
        done = subprocess.run([openssl, *arguments], cwd=work, capture_output=True, text=True, timeout=120)
        if done.returncode != 0:
            fail("openssl " + " ".join(arguments) + ":\n" + done.stderr)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Morvalen test CA",
        "-keyout", "ca.key", "-out", "ca.pem")
    run("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout", "site.key", "-out", "site.csr")
    with open(os.path.join(work, "site.ext"), "w", encoding="ascii") as out:
        out.write("subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n")
    run("x509", "-req", "-in", "site.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-days", "2",
        "-extfile", "site.ext", "-out", "site.pem")
    return os.path.join(work, "ca.pem"), os.path.join(work, "site.pem"), os.path.join(work, "site.key")


# Requests to nginx go over TLS, verified against the test's CA; the host name check is left to the
# program's own client, which the test runs separately under the name on the certificate.
TLS = {"context": None}


def nginx_connection(port):
    return http.client.HTTPSConnection("127.0.0.1", port, timeout=10, context=TLS["context"])


def write_site(site_source, site_path, listen_port, upstream_ports, access_log, redirect_port, certificate, key):
    text = open(site_source, encoding="utf-8").read()
    text = re.sub(r"^(\s*)listen \[::\]:(80|443 ssl);\n", "", text, flags=re.M)
    text, redirects = re.subn(r"^(\s*)listen 80;", rf"\1listen 127.0.0.1:{redirect_port};", text, flags=re.M)
    text, listens = re.subn(r"^(\s*)listen 443 ssl;", rf"\1listen 127.0.0.1:{listen_port} ssl;", text, flags=re.M)
    text, certificates = re.subn(r"^(\s*)ssl_certificate \S+;", rf"\1ssl_certificate {certificate};", text, flags=re.M)
    text, keys = re.subn(r"^(\s*)ssl_certificate_key \S+;", rf"\1ssl_certificate_key {key};", text, flags=re.M)
    if redirects != 1 or certificates != 1 or keys != 1:
        fail("the site no longer has the redirect server and the certificate lines this test fills in")
    servers = re.findall(r"^\s*server 127\.0\.0\.1:\d+ .*;\n", text, flags=re.M)
    if listens != 1 or len(servers) < len(upstream_ports):
        fail("the site no longer has the listen line and upstream servers this test fills in")
    first = text.index(servers[0])
    for line in servers:
        text = text.replace(line, "", 1)
    filled = "".join(re.sub(r"127\.0\.0\.1:\d+", f"127.0.0.1:{port}", servers[0]) for port in upstream_ports)
    text = text[:first] + filled + text[first:]
    text, logs = re.subn(r"access_log \S+ morvalen;", f"access_log {access_log} morvalen;", text)
    if logs != 1:
        fail("the site no longer has its access_log line")
    with open(site_path, "w", encoding="utf-8") as out:
        out.write(text)


def write_main_conf(work, site_path):
    temp = {name: os.path.join(work, name) for name in ("body", "proxy", "fastcgi", "uwsgi", "scgi")}
    user = "user root;\n" if os.geteuid() == 0 else ""
    conf = f"""{user}worker_processes 1;
daemon off;
pid {work}/nginx.pid;
error_log {work}/error.log info;
events {{ worker_connections 1024; }}
http {{
    client_body_temp_path {temp['body']};
    proxy_temp_path {temp['proxy']};
    fastcgi_temp_path {temp['fastcgi']};
    uwsgi_temp_path {temp['uwsgi']};
    scgi_temp_path {temp['scgi']};
    include {site_path};
}}
"""
    path = os.path.join(work, "nginx.conf")
    with open(path, "w", encoding="utf-8") as out:
        out.write(conf)
    return path


def wait_for_port(port, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                return True
        except OSError:
            time.sleep(0.05)
    return False


def get(port, target, source="127.0.0.1", tls=False):
    if tls:
        connection = http.client.HTTPSConnection("127.0.0.1", port, timeout=10, source_address=(source, 0),
                                                 context=TLS["context"])
    else:
        connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10, source_address=(source, 0))
    try:
        connection.request("GET", target)
        response = connection.getresponse()
        return response.status, response.read()
    finally:
        connection.close()


def run_requests(port, on_halfway):
    """REQUESTS line pages from CLIENTS kept-alive connections; on_halfway runs once, at the middle."""
    statuses = [None] * REQUESTS
    next_index = [0]
    lock = threading.Lock()
    halfway = threading.Event()
    deadline = time.monotonic() + 120

    def client():
        connection = nginx_connection(port)
        while time.monotonic() < deadline:
            with lock:
                index = next_index[0]
                next_index[0] += 1
            if index >= REQUESTS:
                break
            if index == REQUESTS // 2:
                halfway.set()
            try:
                connection.request("GET", LINE_PAGE)
                response = connection.getresponse()
                body = response.read()
                statuses[index] = response.status if body else -1
            except (OSError, http.client.HTTPException) as error:
                statuses[index] = repr(error)
                connection.close()
                connection = nginx_connection(port)
        connection.close()

    threads = [threading.Thread(target=client) for _ in range(CLIENTS)]
    for thread in threads:
        thread.start()
    if halfway.wait(timeout=120):
        on_halfway()
    for thread in threads:
        thread.join(timeout=max(1, deadline - time.monotonic()))
    return statuses


def main():
    parser = argparse.ArgumentParser()
    for name in ("nginx", "service", "site", "fanout", "work", "openssl"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--fetch", help="the program's client; without it that part is skipped")
    args = parser.parse_args()
    if args.fetch is not None and not os.access(args.fetch, os.X_OK):
        fail(f"the program's client {args.fetch} is not built; the default build makes it")

    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    databases = [os.path.join(work, name) for name in ("first.db", "second.db")]
    processes = []
    nginx = None
    try:
        # The operator's fan-out script sets the same version text in both copies of the database.
        list_path = os.path.join(work, "databases.list")
        with open(list_path, "w", encoding="utf-8") as out:
            out.write("# the two instances of this test\n" + "".join(d + "\n" for d in databases))
        env = dict(os.environ, MORVALEN_SERVICE=args.service)
        fanout = subprocess.run([args.fanout, list_path, "set-version", "7.7.7.7"], env=env,
                                capture_output=True, text=True, timeout=300)
        if fanout.returncode != 0 or fanout.stdout.count("== ") != 2:
            fail(f"morvalen-each: exit {fanout.returncode}\n{fanout.stdout}\n{fanout.stderr}")

        # A stand-in for the built browser page, which every instance serves at "/".
        page = os.path.join(work, "page")
        os.makedirs(os.path.join(page, "assets"))
        with open(os.path.join(page, "index.html"), "w", encoding="utf-8") as out:
            out.write("<!doctype html><title>Тотализатор</title>" + " " * 4000)
        instances = [start_instance(args.service, database, page) for database in databases]
        processes = [process for process, _ in instances]
        ports = [port for _, port in instances]
        for port in ports:
            status, body = get(port, "/updmtz17.ini")
            if status != 200 or body != b"7.7.7.7":
                fail(f"instance on port {port} answered {status} {body!r} for the version")

        listen_port = free_port()
        redirect_port = free_port()
        site_path = os.path.join(work, "site.conf")
        access_log = os.path.join(work, "access.log")
        ca, certificate, key = make_certificates(work, args.openssl)
        TLS["context"] = ssl.create_default_context(cafile=ca)
        TLS["context"].check_hostname = False
        write_site(args.site, site_path, listen_port, ports, access_log, redirect_port, certificate, key)
        conf = write_main_conf(work, site_path)
        checked = subprocess.run([args.nginx, "-t", "-p", work, "-c", conf, "-e", os.path.join(work, "error.log")],
                                 capture_output=True, text=True, timeout=60)
        if checked.returncode != 0:
            fail("nginx rejects the site:\n" + checked.stderr)
        nginx = subprocess.Popen([args.nginx, "-p", work, "-c", conf, "-e", os.path.join(work, "error.log")])
        if not wait_for_port(listen_port, 20):
            fail("nginx did not start listening")

        stopped = {}

        def stop_first_instance():
            processes[0].send_signal(signal.SIGTERM)
            stopped["code"] = processes[0].wait(timeout=30)

        statuses = run_requests(listen_port, stop_first_instance)
        if stopped.get("code") != 0:
            fail(f"the stopped instance exited with {stopped.get('code')}")
        bad = [(i, s) for i, s in enumerate(statuses) if s != 200]
        if bad:
            fail(f"{len(bad)} of {REQUESTS} requests were not answered 200, first: {bad[:5]}")

        # Both instances took requests before the stop.
        upstreams = re.findall(r"upstream=127\.0\.0\.1:(\d+)", open(access_log, encoding="utf-8").read())
        for port in ports:
            if str(port) not in upstreams[: REQUESTS // 4]:
                fail(f"the instance on port {port} never answered through nginx before the stop")

        # The rate limit is in force for other addresses (127.0.0.2 is still the loopback).
        limited = [get(listen_port, "/updmtz17.ini", source="127.0.0.2", tls=True)[0] for _ in range(120)]
        if 429 not in limited or limited[0] != 200:
            fail(f"the request limit did not act on a burst from another address: {sorted(set(limited))}")
        # The page comes through nginx with the instances' headers and their gzip.
        connection = nginx_connection(listen_port)
        connection.request("GET", "/", headers={"Accept-Encoding": "gzip"})
        response = connection.getresponse()
        body = response.read()
        connection.close()
        if (response.status != 200 or response.getheader("Content-Encoding") != "gzip"
                or response.getheader("Cross-Origin-Embedder-Policy") != "require-corp"
                or not response.getheader("Content-Type", "").startswith("text/html")):
            fail(f"the page through nginx: {response.status} {response.getheaders()}")
        if not gzip.decompress(body).startswith("<!doctype html>".encode()):
            fail("the page through nginx is not the instances' page")
        # Only GET reaches the instances.
        connection = nginx_connection(listen_port)
        connection.request("POST", LINE_PAGE, body=b"x")
        if connection.getresponse().status < 400:
            fail("a POST was accepted")
        connection.close()

        # Plain HTTP is sent on to HTTPS; HTTPS answers carry HSTS.
        plain = http.client.HTTPConnection("127.0.0.1", redirect_port, timeout=10)
        plain.request("GET", LINE_PAGE, headers={"Host": "localhost"})
        moved = plain.getresponse()
        if moved.status != 301 or moved.getheader("Location") != "https://localhost" + LINE_PAGE:
            fail(f"plain HTTP answered {moved.status} {moved.getheader('Location')}")
        plain.close()
        secure = nginx_connection(listen_port)
        secure.request("GET", LINE_PAGE)
        if "max-age=" not in (secure.getresponse().getheader("Strict-Transport-Security") or ""):
            fail("the HTTPS answer has no Strict-Transport-Security")
        secure.close()

        if args.fetch is None:
            print("skipped: the program's client over TLS (built with the desktop program only)")
        else:
            # The program's client: the line over TLS with the test's CA named, and a refusal when the
            # name asked for is not the certificate's (the same server as 127.0.0.1), or with no CA named.
            # Qt keeps some allocations for the life of the process, which a sanitizer build would report.
            quiet = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
            env = dict(quiet, MORVALEN_CA_FILE=ca)
            fetched = subprocess.run([args.fetch, f"https://localhost:{listen_port}{LINE_PAGE}"], env=env,
                                     capture_output=True, text=True, timeout=60)
            if fetched.returncode != 0 or not fetched.stdout.startswith("status 200"):
                fail(f"the program's client did not fetch the line over TLS: exit {fetched.returncode} {fetched.stdout} {fetched.stderr}")
            wrong = subprocess.run([args.fetch, f"https://127.0.0.1:{listen_port}{LINE_PAGE}"], env=env,
                                   capture_output=True, text=True, timeout=60)
            if wrong.returncode == 0 or "сертификат" not in wrong.stdout:
                fail(f"the program's client accepted a wrong host name: {wrong.stdout} {wrong.stderr}")
            unknown = subprocess.run([args.fetch, f"https://localhost:{listen_port}{LINE_PAGE}"],
                                     env={k: v for k, v in quiet.items() if k != "MORVALEN_CA_FILE"},
                                     capture_output=True, text=True, timeout=60)
            if unknown.returncode == 0:
                fail("the program's client trusted a CA nobody named")
            print(f"ok: TLS line fetched by the program's client ({fetched.stdout.strip()}); wrong name: {wrong.stdout.strip()}")
        print(f"ok: {REQUESTS} requests answered 200 through nginx with one of two instances stopped halfway")
    finally:
        if nginx is not None:
            nginx.send_signal(signal.SIGQUIT)
            try:
                nginx.wait(timeout=20)
            except subprocess.TimeoutExpired:
                nginx.kill()
        for process in processes:
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(timeout=20)
                except subprocess.TimeoutExpired:
                    process.kill()


if __name__ == "__main__":
    main()
