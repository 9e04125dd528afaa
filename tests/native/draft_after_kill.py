#!/usr/bin/env python3
"""The real client on an X server, driven as a user drives it (xdotool):
fields typed into "Neuer Auftrag", the client killed with SIGKILL in the
middle of typing, started again; after the login every field is back.

Usage (under xvfb-run, screen 1440x900): draft_after_kill.py VENDRIX VENDRIX_SERVER
"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time

CLIENT, SERVER = sys.argv[1], sys.argv[2]
WORK = tempfile.mkdtemp(prefix="draft-after-kill-")
TIMEOUT = 60

# Places in the window (1224 x 765 on a 1440 x 900 screen, at the origin).
USER_NAME = (620, 178)
PASSWORD = (620, 277)
NEW_ORDER = (194, 140)
FIELDS = {  # the order body's key: where its input is, what is typed
    "belegnummer": ((565, 220), "B-4711"),
    "referenz": ((565, 297), "Entwurf nach Absturz"),
    "textbeschreibung": ((985, 297), "Kartons"),
    "gewicht": ((565, 375), "2,5"),
    "verkaufspreis": ((985, 537), "12,50"),
}
LAST_FIELD = ((565, 617), "einkaufspreis 9,90 wird getippt")


def fail(message):
    print("FAIL:", message, "(logs and a picture of the screen in %s)" % WORK)
    subprocess.run("xwd -root -silent > %s/screen.xwd" % WORK, shell=True)
    sys.exit(1)


def xdo(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True)


def click(place):
    xdo("mousemove", place[0], place[1], "click", 1)
    time.sleep(0.3)


def wait_for(what, check):
    deadline = time.time() + TIMEOUT
    while time.time() < deadline:
        value = check()
        if value:
            return value
        time.sleep(0.2)
    fail("waited in vain for " + what)


class Server:
    def __init__(self):
        self.log = open(os.path.join(WORK, "server.log"), "w+")
        self.process = subprocess.Popen(
            [SERVER, "--listen", "127.0.0.1:0", "--db", os.path.join(WORK, "db.sqlite"), "--demo"],
            stdout=subprocess.PIPE, stderr=self.log, text=True)
        self.port = int(self.process.stdout.readline())

    def count(self, line):
        self.log.flush()
        with open(self.log.name) as log:
            return log.read().count(line)


def draft_path():
    root = os.path.join(WORK, "data", "Kestrova", "Vendrix", "drafts")
    for directory, _, files in os.walk(root):
        if "new-order.json" in files:
            return os.path.join(directory, "new-order.json")
    return None


def draft():
    path = draft_path()
    if not path:
        return None
    with open(path) as f:
        return json.load(f)  # a broken draft fails the test here


def start_client(server):
    environment = dict(os.environ, XDG_DATA_HOME=os.path.join(WORK, "data"),
                       XDG_CONFIG_HOME=os.path.join(WORK, "config"),
                       VENDRIX_API_URL="http://127.0.0.1:%d" % server.port)
    client = subprocess.Popen([CLIENT], env=environment, cwd=WORK, stdout=subprocess.DEVNULL,
                              stderr=open(os.path.join(WORK, "client.log"), "a"))
    CLIENTS.append(client)
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "Vendrix"],
                   check=True, stdout=subprocess.DEVNULL, timeout=TIMEOUT)
    time.sleep(1)
    # log in and open "Neuer Auftrag"
    logins = server.count("POST /tokens 200")
    click(USER_NAME)
    xdo("type", "--delay", 30, "demo")
    click(PASSWORD)
    xdo("type", "--delay", 30, "vendrix-demo")
    xdo("key", "Return")
    wait_for("the login", lambda: server.count("POST /tokens 200") > logins)
    time.sleep(1)
    taxes = server.count("GET /taxes 200")
    click(NEW_ORDER)
    wait_for("the tax rows", lambda: server.count("GET /taxes 200") > taxes)
    time.sleep(1)
    return client


CLIENTS = []


def main():
    server = Server()
    try:
        client = start_client(server)
        for key, (place, text) in FIELDS.items():
            click(place)
            xdo("type", "--delay", 20, text)
        kept = wait_for("the draft of every field",
                        lambda: (lambda d: d if d and all(d.get(k) == t for k, (_, t) in FIELDS.items()) else None)(draft()))

        # killed while a field is being typed, after the draft was written
        click(LAST_FIELD[0])
        typing = threading.Thread(target=lambda: subprocess.run(["xdotool", "type", "--delay", "80", LAST_FIELD[1]]))
        typing.start()
        time.sleep(1.2)
        client.send_signal(signal.SIGKILL)
        client.wait()
        typing.join()
        before = draft()
        for key in FIELDS:
            if before.get(key) != kept[key]:
                fail("the draft after the kill lost %s: %r" % (key, before))
        mode = os.stat(draft_path()).st_mode & 0o777
        if mode != 0o600:
            fail("the draft is readable by others: %o" % mode)

        # the next start fills every field in: typing on in one field keeps all others
        client = start_client(server)
        click(FIELDS["referenz"][0])
        xdo("key", "End")
        xdo("type", "--delay", 30, "!")
        expected = dict(before, referenz=before["referenz"] + "!")
        after = wait_for("the draft typed on", lambda: (lambda d: d if d and d.get("referenz") == expected["referenz"] else None)(draft()))
        if after != expected:
            fail("fields not restored:\n before %r\n after  %r" % (before, after))
        client.terminate()
        client.wait()
        print("PASS: every field of", sorted(FIELDS), "came back after SIGKILL")
    finally:
        for client in CLIENTS:
            if client.poll() is None:
                client.kill()
                client.wait()
        server.process.terminate()
        server.process.wait()


if __name__ == "__main__":
    main()
