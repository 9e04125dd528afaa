#!/usr/bin/env python3
"""Requests that race for the same records, counted: how many rounds end in a
state that no order of the requests one after the other could give.

    benchmarks/server/races.py [--binary build/server/vendrix-server] [--rounds 40]
                               [--engine sqlite|postgresql|both] [--only NAME ...]

Each race starts the binary with demo data on a fresh database (SQLite in a
temporary directory; PostgreSQL on a private server started here, initdb
with a Unix socket only, as "nobody" when run as root). In every round the
racing requests are sent on connections opened beforehand, in one go.

Races (names for --only):
  note      generate delivery order N, cancel its stock, book into it and
            delete it at once: a round fails when the note handed out lists
            other bookings than the database keeps for N, when a generated
            N is gone, or on a 5xx
  open      8 delivery orders opened at once (numbers n..n+7, then 8 times
            n): fails unless exactly one is opened and the rest get 409
  invoice   one invoice deleted by 8 clients at once: fails unless exactly
            one 200 and seven 406 (a server that dies counts, and stops it)
  customer  30 customer deletions while two clients create customers
            (refused deletions counted), then a customer deleted while an
            order, an invoice and an article group are made for it (5xx
            counted)
  search    NUL and other control characters in the five searches (5xx
            counted), and in a customer's name (stored other than sent
            counted)
"""
import argparse
import asyncio
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from httpclient import Conn, ServerRun, login  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def find_binary(given):
    for b in [given, f"{ROOT}/build/server/vendrix-server"]:
        if b and os.access(b, os.X_OK):
            return b
    sys.exit("vendrix-server not found; build it first or pass --binary")


class Postgres:
    """A private PostgreSQL server in `work`, reached through a Unix socket."""

    def __init__(self, work):
        bins = sorted(d for d in os.listdir("/usr/lib/postgresql") if os.path.isdir(f"/usr/lib/postgresql/{d}/bin"))
        if not bins:
            sys.exit("PostgreSQL's server binaries are not installed")
        self.bin = f"/usr/lib/postgresql/{bins[-1]}/bin"
        self.dir = f"{work}/pg"
        self.as_pg = ["runuser", "-u", "nobody", "--"] if os.getuid() == 0 else []
        os.mkdir(self.dir)
        if os.getuid() == 0:
            os.chmod(work, 0o755)
            shutil.chown(self.dir, "nobody")
        self.run(["initdb", "-D", f"{self.dir}/data", "-U", "vendrix", "-A", "trust", "-E", "UTF8", "--no-locale"])
        with open(f"{self.dir}/data/postgresql.conf", "a") as conf:
            conf.write(f"listen_addresses = ''\nunix_socket_directories = '{self.dir}'\nmax_connections = 300\n")
        self.run(["pg_ctl", "-D", f"{self.dir}/data", "-l", f"{self.dir}/server.log", "-w", "start"])
        self.databases = 0

    def run(self, args):
        subprocess.run(self.as_pg + [f"{self.bin}/{args[0]}"] + args[1:], check=True, stdout=subprocess.DEVNULL)

    def psql(self, db, sql):
        out = subprocess.run([f"{self.bin}/psql", "-h", self.dir, "-U", "vendrix", "-d", db, "-tAc", sql],
                             check=True, capture_output=True, text=True)
        return out.stdout.strip()

    def new_database(self):
        self.databases += 1
        name = f"race{self.databases}"
        self.psql("postgres", f"CREATE DATABASE {name} ENCODING 'UTF8'")
        return name, f"postgresql://vendrix@/{name}?host={self.dir}"

    def stop(self):
        subprocess.run(self.as_pg + [f"{self.bin}/pg_ctl", "-D", f"{self.dir}/data", "-m", "fast", "-w", "stop"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Target:
    """A server on a fresh database, and a way to count rows behind its back."""

    def __init__(self, binary, work, pg, name):
        if pg:
            self.dbname, db = pg.new_database()
        else:
            db = f"{work}/{name}.db"
        self.pg, self.db = pg, db
        self.srv = ServerRun(binary, f"{work}/{name}" if pg else db, ["--demo", "--workers", "8"],
                             db_url=db if pg else None)

    def count(self, sql):
        if self.pg:
            return int(self.pg.psql(self.dbname, sql) or 0)
        with sqlite3.connect(f"file:{self.db}?mode=ro", uri=True) as c:
            return c.execute(sql).fetchone()[0]


class Racers:
    def __init__(self, port, token, n):
        self.port, self.auth, self.n, self.conns = port, {"Authorization": "Bearer " + token}, n, []

    async def open(self):
        while len(self.conns) < self.n:
            self.conns.append(await Conn.open(self.port))

    async def run(self, calls):
        """calls: (method, path, body); all written before any reply is read."""
        await self.open()
        for c, (method, path, body) in zip(self.conns, calls):
            data = json.dumps(body).encode() if body is not None else b""
            lines = [f"{method} {path} HTTP/1.1", "Host: x", f"Authorization: {self.auth['Authorization']}"]
            if method in ("POST", "PUT"):
                lines += ["Content-Type: application/json", f"Content-Length: {len(data)}"]
            c.writer.write(("\r\n".join(lines) + "\r\n\r\n").encode() + data)
        replies = []
        for i, c in enumerate(self.conns[:len(calls)]):
            try:
                await c.writer.drain()
                replies.append(await asyncio.wait_for(c.read_reply(), 30))
            except Exception:
                replies.append((0, {}, b""))
                c.close()
                try:
                    self.conns[i] = await Conn.open(self.port)
                except OSError:
                    pass  # the server is gone; the caller sees status 0
        return replies


def order_body(customer):
    b = {"customer_id": str(customer), "datum": "03.06.2024", "belegnummer": "B", "referenz": "R",
         "textbeschreibung": "Paket", "gewicht": "1", "sendungsart": 3, "versandpartner": 0, "richtung": 3,
         "prozentsatz_id": 1, "verkaufspreis": "10,00", "einkaufspreis": "1,00",
         "betrag_fuer_praemie_fuer_transportversicherung": "", "betrag_fuer_zeitfenstereinstellungen": ""}
    for flag in ("zustellung_im_aussengebiet", "abholung_im_aussengebiet", "versand_oversized",
                 "versand_heavy_weight", "versand_nicht_stapelbare_palette", "zustellung_samstags",
                 "abholung_samstags", "gebuehr_fuer_zusaetzliche_handhabung", "praemie_fuer_transportversicherung",
                 "gebuehr_fuer_erstellung_einer_ae", "gebuehr_fuer_kein_envelope", "zeitfensterzustellung"):
        b[flag] = False
    return b


def customer_body(name):
    return {"surname": name, "lastname": "Rennen", "address_street_no": "Weg 1", "address_zipcode": "20095",
            "address_town": "Hamburg", "address_country": 36, "address_province": "", "phone": "", "fax": "",
            "email": "", "info": "", "commercialability": False}


def pdf_text(data, work):
    path = f"{work}/note.pdf"
    with open(path, "wb") as f:
        f.write(data)
    return subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True).stdout


async def call(c, method, path, body=None, auth=None):
    return await c.request(method, path, body if body is not None else b"", headers=auth)


async def race_note(t, racers, api, auth, rounds, work):
    failed = 0
    status, _, body = await call(api, "POST", "/articlegroups",
                                 {"articlename": "Rad", "articleno": "R", "farbe": "", "size": "", "typ": "",
                                  "quantity": 100000, "storage_location": "", "customer_id": ""}, auth)
    group = str(json.loads(body)["id"])
    for r in range(rounds):
        open_ = json.loads((await call(api, "GET", "/deliveryorder/checklast", auth=auth))[2])
        if open_:
            n = open_[0]["deliveryorders_no"]
        else:
            last = json.loads((await call(api, "GET", "/deliveryorder/getlastno", auth=auth))[2])
            n = (last[0]["deliveryorders_no"] if last else 0) + 1
            await call(api, "POST", "/deliveryorder", {"delivery_date": "2024-06-03T09:00:00.000Z",
                                                        "deliveryorders_no": n, "created": False, "customer_id": 1},
                       auth)
        before, late = f"91{1000 + r}", f"92{1000 + r}"
        for i in range(3):
            await call(api, "POST", "/articleinventory", {"eanno": f"{before}{i}", "quantity": 1,
                                                           "articlegroup_id": group, "deliveryorder_no": n}, auth)
        replies = await racers.run([
            ("GET", f"/deliveryorder/generate/{n}", None),
            ("DELETE", f"/articleinventory/series/{n}", None),
            ("POST", "/articleinventory", {"eanno": late, "quantity": 1, "articlegroup_id": group,
                                           "deliveryorder_no": n}),
            ("DELETE", f"/deliveryorder/{n}", None),
        ])
        statuses = [s for s, _, _ in replies]
        bad = any(s >= 500 or s == 0 for s in statuses)
        if statuses[0] == 200:
            kept = t.count(f"SELECT count(*) FROM deliveryorders WHERE deliveryorders_no = {n} AND created = 1")
            booked = t.count(f"SELECT count(*) FROM articleinventory WHERE deliveryorder_no = {n} AND "
                             f"(eanno LIKE '{before}%' OR eanno = '{late}')")
            text = pdf_text(replies[0][2], work)
            on_note = text.count(before) + text.count(late)
            bad = bad or kept != 1 or on_note != booked
        failed += bad
        if 0 in statuses:
            return f"{failed} of {r + 1} rounds failed (the server died)"
    return f"{failed} of {rounds} rounds failed"


async def race_open(t, racers, api, auth, rounds, work):
    failed = 0
    errors = 0
    for r in range(rounds):
        open_ = json.loads((await call(api, "GET", "/deliveryorder/checklast", auth=auth))[2])
        for o in open_:
            await call(api, "GET", f"/deliveryorder/generate/{o['id']}", auth=auth)
        last = json.loads((await call(api, "GET", "/deliveryorder/getlastno", auth=auth))[2])
        n = (last[0]["deliveryorders_no"] if last else 0) + 1
        same = r % 2 == 1
        replies = await racers.run([("POST", "/deliveryorder",
                                     {"delivery_date": "2024-06-03T09:00:00.000Z",
                                      "deliveryorders_no": n + (0 if same else i), "created": False,
                                      "customer_id": 1}) for i in range(8)])
        statuses = [s for s, _, _ in replies]
        errors += sum(s >= 500 for s in statuses)
        failed += statuses.count(201) != 1 or statuses.count(409) != 7
    return f"{failed} of {rounds} rounds failed, {errors} answers 5xx"


async def race_invoice(t, racers, api, auth, rounds, work):
    failed = 0
    for r in range(rounds):
        try:
            status, _, body = await call(api, "POST", "/invoice", order_body(1), auth)
        except (OSError, asyncio.IncompleteReadError):
            status = 0
        if status != 201:
            return f"{failed} of {r} rounds failed (the server died)"
        i = json.loads(body)["id"]
        replies = await racers.run([("DELETE", f"/invoice/{i}", None)] * 8)
        statuses = [s for s, _, _ in replies]
        failed += statuses.count(200) != 1 or statuses.count(406) != 7
        if 0 in statuses:
            return f"{failed} of {r + 1} rounds failed (the server died)"
    return f"{failed} of {rounds} rounds failed"


async def race_customer(t, racers, api, auth, rounds, work):
    stop = False

    async def create():
        c = await Conn.open(t.srv.port)
        while not stop:
            await call(c, "POST", "/customer", customer_body("Nina"), auth)
        c.close()

    creators = [asyncio.create_task(create()) for _ in range(2)]
    ids = []
    for _ in range(30):
        ids.append(json.loads((await call(api, "POST", "/customer", customer_body("Doris"), auth))[2])["id"])
    refused = 0
    for i in ids:
        refused += (await call(api, "DELETE", f"/customer/{i}", auth=auth))[0] != 200
    stop = True
    await asyncio.gather(*creators)
    errors = 0
    for r in range(rounds):
        c = json.loads((await call(api, "POST", "/customer", customer_body("Vera"), auth))[2])["id"]
        replies = await racers.run([
            ("DELETE", f"/customer/{c}", None), ("POST", "/assignment", order_body(c)),
            ("POST", "/invoice", order_body(c)),
            ("POST", "/articlegroups", {"articlename": "K", "articleno": "", "farbe": "", "size": "", "typ": "",
                                        "quantity": 1, "storage_location": "", "customer_id": str(c)})])
        errors += sum(s >= 500 for s, _, _ in replies)
    return f"{refused} of 30 deletions refused while two clients created customers; " \
           f"{errors} answers 5xx in {rounds} rounds of deleting a customer while records are made for it"


async def race_search(t, racers, api, auth, rounds, work):
    texts = ["\0", "Müller\0Schmidt", "an\x01\x1fna", "\x7f\x00\x00x"]
    searches = [("/customer/search", "fullname"), ("/customer_search_surname", "vorname"),
                ("/customer_search_lastname", "nachname"), ("/assignment/search", "searchkey"),
                ("/invoice/search", "searchkey")]
    errors = 0
    for text in texts:
        for path, key in searches:
            errors += (await call(api, "POST", path, {key: text}, auth))[0] >= 500
    altered = 0
    for text in texts:
        status, _, body = await call(api, "POST", "/customer", customer_body(text), auth)
        altered += status == 201 and json.loads(body)["surname"] != text
    return f"{errors} of {len(texts) * len(searches)} searches answered 5xx; " \
           f"{altered} of {len(texts)} such names stored other than sent"


RACES = {"note": race_note, "open": race_open, "invoice": race_invoice, "customer": race_customer,
         "search": race_search}


async def measure(binary, work, pg, name, race, rounds):
    t = Target(binary, work, pg, name)
    try:
        token = await login(t.srv.port)
        auth = {"Authorization": "Bearer " + token}
        api = await Conn.open(t.srv.port)
        racers = Racers(t.srv.port, token, 8)
        return await RACES[race](t, racers, api, auth, rounds, work)
    finally:
        t.srv.stop(10)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--binary")
    ap.add_argument("--rounds", type=int, default=40)
    ap.add_argument("--engine", choices=["sqlite", "postgresql", "both"], default="both")
    ap.add_argument("--only", nargs="*", choices=sorted(RACES))
    a = ap.parse_args()
    binary = find_binary(a.binary)
    print(f"vendrix-server {binary}, {os.cpu_count()} CPU(s), load {os.getloadavg()[0]:.1f}, {a.rounds} rounds")
    with tempfile.TemporaryDirectory() as work:
        pg = Postgres(work) if a.engine != "sqlite" else None
        try:
            for engine in (["sqlite", "postgresql"] if a.engine == "both" else [a.engine]):
                for race in a.only or list(RACES):
                    started = time.monotonic()
                    result = asyncio.run(measure(binary, work, pg if engine == "postgresql" else None,
                                                 f"{engine}-{race}", race, a.rounds))
                    print(f"{engine} {race}: {result} ({time.monotonic() - started:.1f} s)", flush=True)
        finally:
            if pg:
                pg.stop()


if __name__ == "__main__":
    main()
