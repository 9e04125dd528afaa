#!/usr/bin/env python3
"""Soak test of vendrix-server: mixed load with slow clients for a bounded
time on loopback, sampling the server's RSS, threads and open descriptors.

    benchmarks/server/soak.py [--binary build/server/vendrix-server] [--seconds 300]

The load, all at once for the whole time:
  - 6 office clients reading pages, searching, reading records and now and
    then creating a customer and an order (kept-alive connections);
  - logins and logouts, and a wrong password now and then;
  - 50 connections that open, stay idle and are dropped again;
  - 8 clients that send their header slowly, 8 that send a body slowly,
    4 that do not read their reply, and new connections that are cut off
    halfway through a request.
Every few seconds a line of figures; at the end the first and last sample,
the largest, and whether anything failed that should not.

It passes (exit 0) when the server answered every office request and its
RSS, threads and descriptors at the end are within a small margin of the
samples after the first minute (nothing grows).
"""
import argparse
import asyncio
import base64
import os
import random
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from httpclient import Client, Conn, ServerRun, login, process_figures  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def customer(i):
    return {"surname": f"Soak{i}", "lastname": "Test", "address_street_no": "Weg 1", "address_zipcode": "20095",
            "address_town": "Hamburg", "address_country": 36, "address_province": "Hamburg", "phone": "",
            "fax": "", "email": "", "info": "", "commercialability": False}


def order(cid):
    o = {"datum": "01.06.2024", "belegnummer": "S-1", "referenz": "soak", "textbeschreibung": "Paket",
         "gewicht": "1", "sendungsart": 3, "versandpartner": 0, "richtung": 3, "prozentsatz_id": 1,
         "verkaufspreis": "12,50", "einkaufspreis": "5,00", "betrag_fuer_praemie_fuer_transportversicherung": "",
         "betrag_fuer_zeitfenstereinstellungen": "", "customer_id": str(cid)}
    for flag in ("zustellung_im_aussengebiet", "abholung_im_aussengebiet", "versand_oversized",
                 "versand_heavy_weight", "versand_nicht_stapelbare_palette", "zustellung_samstags",
                 "abholung_samstags", "gebuehr_fuer_zusaetzliche_handhabung", "praemie_fuer_transportversicherung",
                 "gebuehr_fuer_erstellung_einer_ae", "gebuehr_fuer_kein_envelope", "zeitfensterzustellung"):
        o[flag] = False
    return o


async def run(binary, seconds, work):
    srv = ServerRun(binary, f"{work}/soak.db",
                    ["--demo", "--seed-customers", "20000", "--seed-orders", "20000", "--idle-timeout", "10",
                     "--header-timeout", "5", "--body-timeout", "10", "--write-timeout", "10"])
    end = time.monotonic() + seconds
    stats = {"office": 0, "office_failed": 0, "logins": 0, "slow_cut": 0, "idle": 0}
    token = await login(srv.port)
    auth = {"Authorization": "Bearer " + token}

    async def office(n):
        rnd = random.Random(n)
        c = Client(srv.port, source=f"127.0.4.{n + 1}")
        while time.monotonic() < end:
            kind = rnd.random()
            try:
                if kind < 0.4:
                    r = await c.request("GET", f"/customer?page={rnd.randint(1, 2000)}", headers=auth)
                elif kind < 0.7:
                    r = await c.request("POST", "/customer/search",
                                        {"fullname": rnd.choice(["müller", "schmi", "anna", "gmbh", "weber"])},
                                        headers=auth)
                elif kind < 0.85:
                    r = await c.request("GET", f"/assignment?page={rnd.randint(1, 200)}", headers=auth)
                elif kind < 0.95:
                    r = await c.request("GET", f"/customer/{rnd.randint(1, 20000)}", headers=auth)
                else:
                    r = await c.request("POST", "/customer", customer(rnd.randint(1, 10 ** 6)), headers=auth)
                    if r[0] == 201:
                        import json

                        cid = json.loads(r[2])["id"]
                        r = await c.request("POST", "/assignment", order(cid), headers=auth)
                stats["office"] += 1
                if r[0] >= 500 or r[0] == 0:
                    stats["office_failed"] += 1
            except Exception:
                stats["office_failed"] += 1
                c = Client(srv.port, source=f"127.0.4.{n + 1}")
            await asyncio.sleep(rnd.uniform(0, 0.02))

    async def sessions():
        wrong = "Basic " + base64.b64encode(b"demo:falsch").decode()
        while time.monotonic() < end:
            try:
                t = await login(srv.port)
                c = Client(srv.port, source="127.0.5.1")
                await c.request("GET", "/me", headers={"Authorization": "Bearer " + t})
                await c.request("GET", "/me/logout", headers={"Authorization": "Bearer " + t})
                if random.random() < 0.1:
                    await c.request("POST", "/tokens", headers={"Authorization": wrong})
                c.close()
                stats["logins"] += 1
            except Exception:
                pass
            await asyncio.sleep(1.0)

    async def idle_churn(n):
        while time.monotonic() < end:
            try:
                c = await Conn.open(srv.port, source=f"127.0.6.{n % 200 + 1}", timeout=5)
                stats["idle"] += 1
                await asyncio.sleep(random.uniform(1, 15))
                c.close()
            except Exception:
                await asyncio.sleep(1)

    async def slow_header(n):
        while time.monotonic() < end:
            try:
                c = await Conn.open(srv.port, source=f"127.0.7.{n + 1}", timeout=5)
                c.writer.write(b"GET /taxes HTTP/1.1\r\n")
                while time.monotonic() < end:
                    await asyncio.sleep(1)
                    c.writer.write(b"X-Slow: 1\r\n")
                    await c.writer.drain()
                    if c.reader.at_eof():
                        raise ConnectionError("cut off")
            except Exception:
                stats["slow_cut"] += 1
            await asyncio.sleep(0.5)

    async def slow_body(n):
        while time.monotonic() < end:
            try:
                c = await Conn.open(srv.port, source=f"127.0.8.{n + 1}", timeout=5)
                c.writer.write(("POST /customer HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token +
                                "\r\nContent-Length: 100000\r\n\r\n").encode())
                while time.monotonic() < end:
                    await asyncio.sleep(1)
                    c.writer.write(b" " * 100)
                    await c.writer.drain()
                    if c.reader.at_eof():
                        raise ConnectionError("cut off")
            except Exception:
                stats["slow_cut"] += 1
            await asyncio.sleep(0.5)

    async def no_reader(n):
        while time.monotonic() < end:
            try:
                c = await Conn.open(srv.port, source=f"127.0.9.{n + 1}", timeout=5)
                req = ("GET /customer?page=1 HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token +
                       "\r\n\r\n").encode()
                for _ in range(200):
                    c.writer.write(req)
                await asyncio.sleep(20)
                c.close()
            except Exception:
                pass
            await asyncio.sleep(0.5)

    async def half_requests():
        while time.monotonic() < end:
            try:
                c = await Conn.open(srv.port, source="127.0.10.1", timeout=5)
                c.writer.write(b"POST /customer HTTP/1.1\r\nHost: x\r\nContent-Len")
                await asyncio.sleep(0.05)
                c.writer.transport.abort()
            except Exception:
                pass
            await asyncio.sleep(0.2)

    samples = []

    async def sample():
        start = time.monotonic()
        while time.monotonic() < end:
            f = process_figures(srv.pid)
            f["t"] = time.monotonic() - start
            samples.append(f)
            print(f"{f['t']:6.0f} s  RSS {f['rss']:6.1f} MiB  threads {f['threads']:3d}  descriptors {f['fds']:5d}  "
                  f"office requests {stats['office']:7d} (failed {stats['office_failed']})  "
                  f"logins {stats['logins']}", flush=True)
            await asyncio.sleep(10)

    tasks = [office(i) for i in range(6)] + [sessions(), half_requests(), sample()]
    tasks += [idle_churn(i) for i in range(50)] + [slow_header(i) for i in range(8)]
    tasks += [slow_body(i) for i in range(8)] + [no_reader(i) for i in range(4)]
    await asyncio.gather(*tasks)
    final = process_figures(srv.pid)
    stop_took = srv.stop(30)

    settled = [s for s in samples if s["t"] >= 60] or samples
    top = {k: max(s[k] for s in samples) for k in ("rss", "threads", "fds")}
    base = {k: max(s[k] for s in settled[: max(1, len(settled) // 4)]) for k in ("rss", "threads", "fds")}
    print(f"first sample: RSS {samples[0]['rss']:.1f} MiB, {samples[0]['threads']} threads, "
          f"{samples[0]['fds']} descriptors")
    print(f"end:          RSS {final['rss']:.1f} MiB, {final['threads']} threads, {final['fds']} descriptors")
    print(f"largest:      RSS {top['rss']:.1f} MiB, {top['threads']} threads, {top['fds']} descriptors")
    print(f"office requests {stats['office']} ({stats['office_failed']} failed), logins {stats['logins']}, "
          f"idle connections {stats['idle']}, slow clients cut off {stats['slow_cut']}; "
          f"stopped in {stop_took:.2f} s")
    grew = final["rss"] > base["rss"] * 1.25 + 8 or final["threads"] > base["threads"] \
        or final["fds"] > base["fds"] + 64
    ok = stats["office_failed"] == 0 and not grew
    print("soak: " + ("passed" if ok else "FAILED"))
    return 0 if ok else 1


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--binary")
    ap.add_argument("--seconds", type=float, default=300)
    a = ap.parse_args()
    binary = a.binary
    for b in [binary, f"{ROOT}/build/server/vendrix-server"]:
        if b and os.access(b, os.X_OK):
            binary = b
            break
    else:
        sys.exit("vendrix-server not found; build it first or pass --binary")
    import resource

    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    print(f"soak of {binary} for {a.seconds:.0f} s, {os.cpu_count()} CPU(s)")
    with tempfile.TemporaryDirectory() as work:
        sys.exit(asyncio.run(run(binary, min(a.seconds, 3600), work)))


if __name__ == "__main__":
    main()
