#!/usr/bin/env python3
"""What vendrix-server does under hostile and heavy clients, in figures.

    benchmarks/server/hostile.py [--binary build/server/vendrix-server] [--only NAME ...] [--quick]

Each measurement starts the given binary on loopback with a fresh database
in a temporary directory and prints one line of figures. Run it against an
older build (--binary) to compare.

Measurements (names for --only):
  crowd     a fresh client's latency (p50/p99 of a new connection and one
            request) while 1,000 idle connections, 16 slow-header clients and
            8 busy clients are open
  memory    the server's peak RSS after a 200 MiB chunked body, 25,000 header
            lines of 8 KB, and the reply size of a JSON list asked for with
            40 ranges
  checkout  the checkout preview of one customer with 130,000 open orders:
            status, time, reply size, peak RSS
  search    customer search p50/p99 at 250,000 customers (4 clients)
  pages     pages 1, 100 and 2,000 of 20,000 customers (median of 20 each)
  guessing  wrong passwords answered in 20 s from one client
  lockout   while one address guesses "demo"'s password, logins with the
            right one from another address every 2 s for 30 s; and after
            five typos of one name, a colleague's login behind the same
            address
  logins    GET /taxes p50/p99 alone and while 12 clients log in in a loop
  office    desks behind one address, six connections each (30 and 100
            desks), all asking at once: requests without an answer
  slowfill  connections that send a body one byte a second fill the server
            (default limits); a fresh client's requests meanwhile
  downloads 24 downloads of a 64 MiB update package that are never read:
            server RSS, and a GET /taxes meanwhile
  shutdown  seconds from SIGTERM to exit with an idle and a slow client open
  durability  acknowledged writes present after rounds of kill -9 under load
  --quick   smaller data sets (25,000 customers, 13,000 orders) for a try run
"""
import argparse
import asyncio
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from httpclient import Client, Conn, ServerRun, login, percentile, process_figures  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def find_binary(given):
    for b in [given, f"{ROOT}/build/server/vendrix-server", f"{ROOT}/build-release/server/vendrix-server"]:
        if b and os.access(b, os.X_OK):
            return b
    sys.exit("vendrix-server not found; build it first or pass --binary")


def fmt_ms(s):
    return f"{s * 1000:.1f} ms"


async def crowd(binary, work, quick):
    srv = ServerRun(binary, f"{work}/crowd.db", ["--demo"])
    try:
        token = await login(srv.port)
        auth = {"Authorization": "Bearer " + token}
        idle, slow = [], []
        # Spread over loopback addresses: a server may limit connections
        # per client address.
        for i in range(1000):
            try:
                idle.append(await Conn.open(srv.port, source=f"127.0.1.{1 + i // 100}", timeout=2))
            except Exception:
                break
        opened_idle = len(idle)

        async def loris(n):
            try:
                c = await Conn.open(srv.port, source=f"127.0.2.{1 + n}", timeout=2)
            except Exception:
                return
            slow.append(c)
            try:
                c.writer.write(b"GET /taxes HTTP/1.1\r\n")
                while True:
                    await asyncio.sleep(1)
                    c.writer.write(b"X-a: b\r\n")
                    await c.writer.drain()
            except Exception:
                pass

        stop = False
        busy_done = [0]

        async def busy(n):
            c = None
            while not stop:
                try:
                    if c is None:
                        c = await Conn.open(srv.port, source=f"127.0.3.{1 + n}", timeout=5)
                    await c.request("GET", "/customer?page=1", headers=auth, timeout=30)
                    busy_done[0] += 1
                except Exception:
                    c = None
                    await asyncio.sleep(0.05)

        tasks = [asyncio.create_task(loris(i)) for i in range(16)]
        tasks += [asyncio.create_task(busy(i)) for i in range(8)]
        await asyncio.sleep(1)
        lat, failed = [], 0
        # Within the server's default idle time, so the idle connections
        # stay open throughout.
        end = time.monotonic() + 12
        figures = None
        while time.monotonic() < end:
            if figures is None and time.monotonic() > end - 6:
                figures = process_figures(srv.pid)
            t = time.monotonic()
            try:
                c = await Conn.open(srv.port, timeout=12)
                status, _, _ = await c.request("GET", "/taxes", headers=auth, timeout=12)
                c.close()
                if status != 200:
                    failed += 1
                lat.append(time.monotonic() - t)
            except Exception:
                failed += 1
                lat.append(time.monotonic() - t)
            await asyncio.sleep(0.05)
        stop = True
        for t in tasks:
            t.cancel()
        for c in idle + slow:
            c.close()
        print(f"crowd: {opened_idle} idle + 16 slow-header + 8 busy connections: fresh client "
              f"p50 {fmt_ms(percentile(lat, 50))}, p99 {fmt_ms(percentile(lat, 99))}, max {fmt_ms(max(lat))}, "
              f"{failed} of {len(lat)} without an answer; busy clients {busy_done[0]} requests; server "
              f"RSS {figures['rss']:.0f} MiB, {figures['threads']} threads, {figures['fds']} descriptors")
    finally:
        srv.stop(5)


async def memory(binary, work, quick):
    """Each attack against a server of its own, so each peak is its own."""

    async def chunked_body(port, token):
        c = await Conn.open(port)
        c.writer.write(("POST /customer HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token +
                        "\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n").encode())
        chunk = b" " * (1 << 20)
        try:
            for _ in range(200):
                c.writer.write(b"100000\r\n" + chunk + b"\r\n")
                await c.writer.drain()
            c.writer.write(b"0\r\n\r\n")
            await c.writer.drain()
        except Exception:
            pass
        try:
            return (await asyncio.wait_for(c.read_reply(), 60))[0]
        except Exception as e:
            return f"connection ended ({type(e).__name__})"
        finally:
            c.close()

    async def header_lines(port, token):
        c = await Conn.open(port)
        try:
            c.writer.write(b"GET /taxes HTTP/1.1\r\nHost: x\r\n")
            line = b"X-Fill: " + b"x" * 8000 + b"\r\n"
            for i in range(25000):
                c.writer.write(line)
                if i % 100 == 0:
                    await c.writer.drain()
            c.writer.write(b"\r\n")
            await c.writer.drain()
        except Exception:
            pass
        try:
            return (await asyncio.wait_for(c.read_reply(), 60))[0]
        except Exception as e:
            return f"connection ended ({type(e).__name__})"
        finally:
            c.close()

    async def ranges(port, token):
        c = Client(port)
        auth = {"Authorization": "Bearer " + token}
        status, _, body = await c.request("GET", "/customer?page=1", headers={**auth, "Range": "bytes=0-" + ",0-" * 39})
        plain = (await c.request("GET", "/customer?page=1", headers=auth))[2]
        c.close()
        return f"{status}, {len(body):,} bytes for a {len(plain):,}-byte list"

    parts = []
    for name, attack in (("200 MiB chunked body", chunked_body), ("25,000 x 8 KB header lines", header_lines),
                         ("40 ranges", ranges)):
        srv = ServerRun(binary, f"{work}/memory-{len(parts)}.db", ["--demo"])
        try:
            token = await login(srv.port)
            base = process_figures(srv.pid)["hwm"]
            result = await attack(srv.port, token)
            peak = process_figures(srv.pid)["hwm"]
            parts.append(f"{name}: {result}, peak RSS {base:.0f} -> {peak:.0f} MiB")
        finally:
            srv.stop(5)
    print("memory: " + "; ".join(parts))


async def checkout(binary, work, quick):
    orders = 13000 if quick else 130000
    srv = ServerRun(binary, f"{work}/checkout.db",
                    ["--add-user", "bench:bench-pw", "--seed-customers", "1", "--seed-orders", str(orders)])
    try:
        token = await login(srv.port, "bench", "bench-pw")
        c = Client(srv.port)
        t = time.monotonic()
        status, _, body = await c.request("GET", "/assignment/checkout/multiple/1",
                                          headers={"Authorization": "Bearer " + token}, timeout=300)
        took = time.monotonic() - t
        c.close()
        f = process_figures(srv.pid)
        print(f"checkout: one customer with {orders:,} open orders: {status} in {took:.2f} s, "
              f"{len(body):,} bytes, peak RSS {f['hwm']:.0f} MiB")
    finally:
        srv.stop(30)


async def search(binary, work, quick):
    customers = 25000 if quick else 250000
    srv = ServerRun(binary, f"{work}/search.db",
                    ["--add-user", "bench:bench-pw", "--seed-customers", str(customers), "--seed", "3"])
    try:
        token = await login(srv.port, "bench", "bench-pw")
        auth = {"Authorization": "Bearer " + token}
        keys = ["müller", "schmi", "anna", "MEIER", "straße", "gmbh", "wagner", "zzqx", "lena", "Hof"]
        out = []
        for clients in (1, 4):
            lat = []
            end = time.monotonic() + 10

            async def client(n):
                c = Client(srv.port)
                i = n
                while time.monotonic() < end:
                    t = time.monotonic()
                    await c.request("POST", "/customer/search", {"fullname": keys[i % len(keys)]}, headers=auth)
                    lat.append(time.monotonic() - t)
                    i += 1
                c.close()

            started = time.monotonic()
            await asyncio.gather(*(client(n) for n in range(clients)))
            rate = len(lat) / (time.monotonic() - started)
            p99 = percentile(lat, 99)
            out.append(f"{clients} client(s): {rate:.0f} searches/s, p50 {fmt_ms(percentile(lat, 50))}, "
                       f"p99 {fmt_ms(p99)}")
            if clients == 4 and not quick:
                out[-1] += f" (target <= 20 ms: {'met' if p99 <= 0.020 else 'MISSED'})"
        print(f"search: {customers:,} customers, " + "; ".join(out))
    finally:
        srv.stop(30)


async def pages(binary, work, quick):
    srv = ServerRun(binary, f"{work}/pages.db", ["--add-user", "bench:bench-pw", "--seed-customers", "20000"])
    try:
        token = await login(srv.port, "bench", "bench-pw")
        auth = {"Authorization": "Bearer " + token}
        c = Client(srv.port)
        out = []
        for page in (1, 100, 2000):
            lat = []
            for _ in range(20):
                t = time.monotonic()
                status, _, _ = await c.request("GET", f"/customer?page={page}", headers=auth)
                lat.append(time.monotonic() - t)
            out.append(f"page {page}: {fmt_ms(statistics.median(lat))} ({status})")
        # The whole list page by page, as the picker reads it.
        t = time.monotonic()
        page = 1
        while True:
            status, _, _ = await c.request("GET", f"/customer?page={page}", headers=auth)
            if status != 200:
                break
            page += 1
        out.append(f"all {page - 1} pages one after the other: {time.monotonic() - t:.2f} s")
        c.close()
        print("pages: 20,000 customers, median of 20: " + ", ".join(out))
    finally:
        srv.stop(30)


async def guessing(binary, work, quick):
    srv = ServerRun(binary, f"{work}/guess.db", ["--demo"])
    try:
        import base64

        auth = "Basic " + base64.b64encode(b"demo:falsch").decode()
        answered = {}
        end = time.monotonic() + 20
        c = await Conn.open(srv.port)
        while time.monotonic() < end:
            try:
                status, _, _ = await c.request("POST", "/tokens", headers={"Authorization": auth}, timeout=25)
            except Exception:
                c = await Conn.open(srv.port)
                continue
            answered[status] = answered.get(status, 0) + 1
        c.close()
        print(f"guessing: wrong passwords in 20 s from one client: {answered.get(401, 0)} checked (401), "
              f"{answered.get(429, 0)} refused unchecked (429)")
    finally:
        srv.stop(5)


async def shutdown(binary, work, quick):
    srv = ServerRun(binary, f"{work}/stop.db", ["--demo"])
    idle = await Conn.open(srv.port)
    await idle.request("GET", "/taxes")
    slow = await Conn.open(srv.port)
    slow.writer.write(b"GET /taxes HTTP/1.1\r\n")
    await slow.writer.drain()
    took = await asyncio.get_running_loop().run_in_executor(None, srv.stop, 60)
    idle.close()
    slow.close()
    print(f"shutdown: SIGTERM to exit with one idle and one slow client: {took:.2f} s")


async def durability(binary, work, quick):
    """Acknowledged writes after kill -9, round after round on one database."""
    import json
    import signal

    db = f"{work}/durable.db"
    acknowledged = []
    rounds = 3 if quick else 10
    for _ in range(rounds):
        srv = ServerRun(binary, db, ["--demo"])
        token = await login(srv.port)
        auth = {"Authorization": "Bearer " + token}
        stop = time.monotonic() + 2

        async def writer(n):
            c = Client(srv.port)
            while time.monotonic() < stop:
                try:
                    status, _, body = await c.request("POST", "/customer_commercial",
                                                      {"company": f"K{n}", "vatid": "", "fuel_surcharge": "0.0",
                                                       "contact_person": ""}, headers=auth)
                except Exception:
                    return
                if status == 201:
                    acknowledged.append(json.loads(body)["id"])

        tasks = [asyncio.create_task(writer(n)) for n in range(8)]
        await asyncio.sleep(2)
        srv.proc.send_signal(signal.SIGKILL)
        srv.proc.wait()
        srv.err.close()
        for t in tasks:
            t.cancel()
        await asyncio.gather(*tasks, return_exceptions=True)
    srv = ServerRun(binary, db, ["--demo"])
    try:
        token = await login(srv.port)
        c = Client(srv.port)
        missing = 0
        for i in acknowledged:
            status, _, _ = await c.request("GET", f"/customer_commercial/{i}", headers={"Authorization": "Bearer " + token})
            missing += status != 200
        print(f"durability: {rounds} rounds of kill -9 under 8 writers: {len(acknowledged) - missing:,} of "
              f"{len(acknowledged):,} acknowledged writes present")
    finally:
        srv.stop(10)


async def raw_status(port, source, head, timeout=15):
    """The status of one request sent as `head` from the address `source`."""
    c = await Conn.open(port, source=source)
    try:
        c.writer.write(head.encode())
        return (await asyncio.wait_for(c.read_reply(), timeout))[0]
    except Exception:
        return 0
    finally:
        c.close()


def basic_login(user, password):
    import base64

    auth = base64.b64encode(f"{user}:{password}".encode()).decode()
    return f"POST /tokens HTTP/1.1\r\nHost: x\r\nAuthorization: Basic {auth}\r\nContent-Length: 0\r\n\r\n"


async def lockout(binary, work, quick):
    srv = ServerRun(binary, f"{work}/lockout.db", ["--demo"])
    try:
        stop = False
        guesses = [0]

        # Guesses again the moment the server takes one (Retry-After).
        async def attacker():
            while not stop:
                c = await Conn.open(srv.port, source="127.0.0.2")
                try:
                    c.writer.write(basic_login("demo", "falsch").encode())
                    status, headers, _ = await asyncio.wait_for(c.read_reply(), 15)
                except Exception:
                    status, headers = 0, {}
                finally:
                    c.close()
                guesses[0] += status == 401
                await asyncio.sleep(float(headers.get("retry-after", "0")) if status == 429 else 0)

        task = asyncio.create_task(attacker())
        await asyncio.sleep(3)
        ok = tried = 0
        end = time.monotonic() + (10 if quick else 30)
        while time.monotonic() < end:
            ok += await raw_status(srv.port, "127.0.0.3", basic_login("demo", "vendrix-demo")) == 200
            tried += 1
            await asyncio.sleep(2)
        stop = True
        await task
        for _ in range(5):
            await raw_status(srv.port, "127.0.0.4", basic_login("anna", "tippfehler"))
        colleague = await raw_status(srv.port, "127.0.0.4", basic_login("demo", "vendrix-demo"))
        print(f"lockout: {ok} of {tried} right logins from elsewhere got in while an attacker had {guesses[0]} "
              f"guesses checked; after five typos of a colleague behind the same address, a login answered {colleague}")
    finally:
        srv.stop(5)


async def logins(binary, work, quick):
    srv = ServerRun(binary, f"{work}/logins.db", ["--demo", "--max-tokens-per-user", "100000"])
    try:
        token = await login(srv.port)
        auth = {"Authorization": "Bearer " + token}
        c = Client(srv.port)

        async def sample(seconds):
            lat = []
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                t = time.monotonic()
                await c.request("GET", "/taxes", headers=auth, timeout=60)
                lat.append(time.monotonic() - t)
                await asyncio.sleep(0.05)
            return lat

        alone = await sample(3)
        stop = False
        done = [0]

        async def crowd(n):
            while not stop:
                if await raw_status(srv.port, None, basic_login("demo", "vendrix-demo"), 60) == 200:
                    done[0] += 1

        tasks = [asyncio.create_task(crowd(n)) for n in range(12)]
        await asyncio.sleep(1)
        busy = await sample(5 if quick else 10)
        stop = True
        await asyncio.gather(*tasks)
        c.close()
        print(f"logins: GET /taxes alone p50 {fmt_ms(percentile(alone, 50))}, p99 {fmt_ms(percentile(alone, 99))}; "
              f"while 12 clients log in ({done[0]} logins) p50 {fmt_ms(percentile(busy, 50))}, "
              f"p99 {fmt_ms(percentile(busy, 99))}")
    finally:
        srv.stop(30)


async def office(binary, work, quick):
    srv = ServerRun(binary, f"{work}/office.db", ["--demo"])
    try:
        parts = []
        for desks in (30, 100):
            conns, failed = [], 0
            for _ in range(desks * 6):
                try:
                    conns.append(await Conn.open(srv.port, source="127.0.4.1", timeout=5))
                except Exception:
                    failed += 1
            for c in conns:
                try:
                    c.writer.write(b"GET /taxes HTTP/1.1\r\nHost: x\r\n\r\n")
                except Exception:
                    pass

            async def answer(c):
                try:
                    return (await asyncio.wait_for(c.read_reply(), 15))[0] == 401
                except Exception:
                    return False

            answered = sum(await asyncio.gather(*(answer(c) for c in conns)))
            failed += len(conns) - answered
            for c in conns:
                c.close()
            await asyncio.sleep(0.5)
            parts.append(f"{desks} desks ({desks * 6} connections): {failed} without an answer")
        print("office: one address, " + "; ".join(parts))
    finally:
        srv.stop(10)


async def slowfill(binary, work, quick):
    srv = ServerRun(binary, f"{work}/slowfill.db", ["--demo"])
    try:
        token = await login(srv.port)
        auth = {"Authorization": "Bearer " + token}
        stuck, stop = [], False
        head = ("POST /customer HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + token +
                "\r\nContent-Type: application/json\r\nContent-Length: 100000\r\n\r\n").encode()
        # More than the server holds in all (4096, or 2048 before), over
        # addresses that each stay within the per-address limit.
        for a in range(40):
            for _ in range(120):
                try:
                    c = await Conn.open(srv.port, source=f"127.0.5.{1 + a}", timeout=2)
                    c.writer.write(head)
                    stuck.append(c)
                except Exception:
                    break

        async def trickle():
            while not stop:
                for c in stuck:
                    if not c.writer.transport.is_closing():
                        c.writer.write(b" ")
                await asyncio.sleep(1)

        task = asyncio.create_task(trickle())
        await asyncio.sleep(2)
        served = tried = 0
        lat = []
        end = time.monotonic() + (10 if quick else 20)
        while time.monotonic() < end:
            t = time.monotonic()
            tried += 1
            try:
                c = await Conn.open(srv.port, source="127.0.6.1", timeout=5)
                status, _, _ = await c.request("GET", "/taxes", headers=auth, timeout=10)
                c.close()
                served += status == 200
            except Exception:
                pass
            lat.append(time.monotonic() - t)
            await asyncio.sleep(0.2)
        stop = True
        await task
        for c in stuck:
            c.close()
        print(f"slowfill: {len(stuck)} connections sending a body a byte a second; a fresh client: {served} of "
              f"{tried} requests answered 200, p50 {fmt_ms(percentile(lat, 50))}")
    finally:
        srv.stop(10)


async def downloads(binary, work, quick):
    updates = f"{work}/updates"
    os.makedirs(updates, exist_ok=True)
    with open(f"{updates}/vendrix-9.0.0-linux-x86_64.tar.gz", "wb") as f:
        f.write(os.urandom(64 << 20))
    with open(f"{updates}/updates.json", "w") as f:
        f.write("{}")
    srv = ServerRun(binary, f"{work}/downloads.db", ["--demo", "--updates", updates])
    try:
        token = await login(srv.port)
        before = process_figures(srv.pid)["rss"]
        held, statuses = [], []
        for _ in range(24):
            c = await Conn.open(srv.port)
            c.writer.write(b"GET /vendrix/vendrix-9.0.0-linux-x86_64.tar.gz HTTP/1.1\r\nHost: x\r\n\r\n")
            held.append(c)
        for c in held:
            try:
                statuses.append(int((await asyncio.wait_for(c.reader.readline(), 30)).split()[1]))
            except Exception:
                statuses.append(0)
        await asyncio.sleep(2)
        figures = process_figures(srv.pid)
        t = time.monotonic()
        c = Client(srv.port)
        status, _, _ = await c.request("GET", "/taxes", headers={"Authorization": "Bearer " + token}, timeout=60)
        took = time.monotonic() - t
        c.close()
        for h in held:
            h.close()
        print(f"downloads: 24 unread downloads of a 64 MiB package ({statuses.count(200)} answered 200): server RSS "
              f"{before:.0f} -> {figures['rss']:.0f} MiB (peak {figures['hwm']:.0f}); GET /taxes meanwhile "
              f"{status} in {fmt_ms(took)}")
    finally:
        srv.stop(10)


MEASUREMENTS = {"crowd": crowd, "memory": memory, "checkout": checkout, "search": search, "pages": pages,
                "guessing": guessing, "shutdown": shutdown, "durability": durability, "lockout": lockout,
                "logins": logins, "office": office, "slowfill": slowfill, "downloads": downloads}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--binary")
    ap.add_argument("--only", nargs="*", choices=sorted(MEASUREMENTS))
    ap.add_argument("--quick", action="store_true")
    a = ap.parse_args()
    binary = find_binary(a.binary)
    import resource

    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    print(f"vendrix-server {binary}, {os.cpu_count()} CPU(s), load {os.getloadavg()[0]:.1f}")
    with tempfile.TemporaryDirectory() as work:
        for name in a.only or list(MEASUREMENTS):
            asyncio.run(MEASUREMENTS[name](binary, work, a.quick))


if __name__ == "__main__":
    main()
