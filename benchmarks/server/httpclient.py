# A minimal HTTP/1.1 client on asyncio streams for the server benchmarks:
# kept-alive connections, Content-Length and chunked replies, nothing else.
import asyncio
import base64
import json
import os
import time


class Conn:
    def __init__(self, reader, writer):
        self.reader = reader
        self.writer = writer

    @classmethod
    async def open(cls, port, source=None, timeout=10):
        local = (source, 0) if source else None
        r, w = await asyncio.wait_for(asyncio.open_connection("127.0.0.1", port, local_addr=local), timeout)
        return cls(r, w)

    def close(self):
        try:
            self.writer.close()
        except Exception:
            pass

    async def request(self, method, path, body=b"", headers=None, timeout=30):
        """Sends one request and reads its reply: (status, headers, body)."""
        if isinstance(body, (dict, list)):
            body = json.dumps(body).encode()
        lines = [f"{method} {path} HTTP/1.1", "Host: 127.0.0.1"]
        for k, v in (headers or {}).items():
            lines.append(f"{k}: {v}")
        if body or method in ("POST", "PUT"):
            lines.append(f"Content-Length: {len(body)}")
        self.writer.write(("\r\n".join(lines) + "\r\n\r\n").encode() + body)
        await self.writer.drain()
        return await asyncio.wait_for(self.read_reply(method == "HEAD"), timeout)

    async def read_reply(self, head=False):
        status_line = await self.reader.readline()
        if not status_line:
            raise ConnectionError("closed")
        status = int(status_line.split()[1])
        headers = {}
        while True:
            line = await self.reader.readline()
            if line in (b"\r\n", b"\n", b""):
                break
            k, _, v = line.decode("latin-1").partition(":")
            headers[k.strip().lower()] = v.strip()
        body = b""
        if head or status in (204, 304):
            return status, headers, body
        if headers.get("transfer-encoding", "").lower() == "chunked":
            while True:
                size = int((await self.reader.readline()).split(b";")[0], 16)
                if size == 0:
                    await self.reader.readline()
                    break
                body += await self.reader.readexactly(size)
                await self.reader.readline()
        elif "content-length" in headers:
            body = await self.reader.readexactly(int(headers["content-length"]))
        else:
            body = await self.reader.read()
        return status, headers, body


class Client:
    """A kept-alive connection that is opened again when the server closed it."""

    def __init__(self, port, source=None):
        self.port = port
        self.source = source
        self.conn = None

    async def request(self, *args, **kwargs):
        for attempt in range(2):
            if self.conn is None:
                self.conn = await Conn.open(self.port, self.source)
            try:
                return await self.conn.request(*args, **kwargs)
            except (ConnectionError, asyncio.IncompleteReadError):
                self.conn.close()
                self.conn = None
                if attempt == 1:
                    raise

    def close(self):
        if self.conn:
            self.conn.close()


async def login(port, user="demo", password="vendrix-demo"):
    c = await Conn.open(port)
    try:
        auth = base64.b64encode(f"{user}:{password}".encode()).decode()
        status, _, body = await c.request("POST", "/tokens", headers={"Authorization": "Basic " + auth})
        if status != 200:
            raise RuntimeError(f"login failed: {status} {body[:200]!r}")
        return json.loads(body)["token"]
    finally:
        c.close()


def percentile(values, p):
    if not values:
        return float("nan")
    s = sorted(values)
    return s[min(len(s) - 1, int(round(p / 100.0 * (len(s) - 1))))]


def process_figures(pid):
    """RSS and peak RSS in MiB, threads and open descriptors of a process."""
    rss = hwm = threads = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1]) / 1024
            elif line.startswith("VmHWM:"):
                hwm = int(line.split()[1]) / 1024
            elif line.startswith("Threads:"):
                threads = int(line.split()[1])
    fds = len(os.listdir(f"/proc/{pid}/fd"))
    return {"rss": rss, "hwm": hwm, "threads": threads, "fds": fds}


class ServerRun:
    """Starts a server binary on a free port and waits for its port line."""

    def __init__(self, binary, db, args=(), stdin_text=None, db_url=None):
        """db: the SQLite file, or with db_url (a postgresql:// address) the
        name of the log beside which nothing else is written."""
        import subprocess

        self.err = open(db + ".log", "w")
        self.proc = subprocess.Popen([binary, "--listen", "127.0.0.1:0", "--db", db_url or db, *args],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.err)
        if stdin_text:
            self.proc.stdin.write(stdin_text.encode())
        self.proc.stdin.close()
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError("server did not start; see " + db + ".log")
        self.port = int(line)
        self.pid = self.proc.pid

    def stop(self, timeout=60):
        import signal

        started = time.monotonic()
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout)
            except Exception:
                self.proc.kill()
                self.proc.wait()
        self.err.close()
        return time.monotonic() - started
