#!/usr/bin/env python3
"""The demo's key input from a pipe and from a terminal, and the terminal's
settings after every way out.

Usage: terminal_keys.py PATH-TO-TESSIK
"""
import fcntl
import os
import pty
import select
import struct
import subprocess
import sys
import tempfile
import termios
import time

TESSIK = os.path.abspath(sys.argv[1])
# A display the demo may use anywhere: the tests here are about keys.
ENV = dict(os.environ, SDL_VIDEODRIVER="dummy")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def children_named(parent, name):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except OSError:
            continue
        comm = stat[stat.index("(") + 1:stat.rindex(")")]
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        if ppid == parent and comm == name:
            found.append(int(entry))
    return found


def test_pipe():
    # Through a pipe every byte is a key: an Esc quits whatever follows it.
    for keys in [b"\x1b", b"\x1b\n", b"ab\x1bx", b"\x1b[A\x1bOP\x1b[15~x\x1b"]:
        start = time.monotonic()
        result = subprocess.run([TESSIK], input=keys, env=ENV, timeout=10)
        elapsed = time.monotonic() - start
        check(result.returncode == 0, f"{keys!r} through a pipe: exit status {result.returncode}")
        check(elapsed < 2.0, f"{keys!r} through a pipe took {elapsed:.2f} s")

    # Keys without an Esc leave it running, until an Esc comes.
    demo = subprocess.Popen([TESSIK], stdin=subprocess.PIPE, env=ENV)
    demo.stdin.write(b"ab[AOPx\n")
    demo.stdin.flush()
    deadline = time.monotonic() + 5
    while unread_bytes(demo.stdin) and time.monotonic() < deadline:
        time.sleep(0.01)
    check(unread_bytes(demo.stdin) == 0, "keys through a pipe were not read")
    time.sleep(0.5)  # a few frames, one key each
    check(demo.poll() is None, f"keys without an Esc ended the demo: {demo.returncode}")
    demo.stdin.write(b"\x1b")
    demo.stdin.close()
    try:
        check(demo.wait(2) == 0, f"Esc after other keys: exit status {demo.returncode}")
    except subprocess.TimeoutExpired:
        demo.kill()
        demo.wait()
        check(False, "Esc after other keys did not end the demo")


def unread_bytes(pipe):
    return struct.unpack("i", fcntl.ioctl(pipe.fileno(), termios.FIONREAD, b"\0" * 4))[0]


class TerminalRun:
    """The demo started by a shell on a new pseudo-terminal; the shell saves
    the terminal's settings before and after it."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.output = b""
        script = 'trap : INT; stty -g > before; "$0"; echo "rc=$?"; stty -g > after'
        pid, fd = pty.fork()
        if pid == 0:
            os.chdir(workdir)
            os.execvpe("sh", ["sh", "-c", script, TESSIK], ENV)
        self.shell, self.fd = pid, fd
        self.demo = None
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and not self.demo:
            self.pump(0.05)
            found = children_named(self.shell, "tessik")
            self.demo = found[0] if found else None
        time.sleep(0.3)  # let it switch the terminal to key mode

    def pump(self, seconds):
        end = time.monotonic() + seconds
        while True:
            left = end - time.monotonic()
            if left <= 0:
                return
            ready, _, _ = select.select([self.fd], [], [], left)
            if ready:
                try:
                    data = os.read(self.fd, 4096)
                except OSError:
                    return
                if not data:
                    return
                self.output += data

    def alive(self):
        return self.demo is not None and os.path.exists(f"/proc/{self.demo}") and \
            children_named(self.shell, "tessik") == [self.demo]

    def finish(self, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end and b"rc=" not in self.output:
            self.pump(0.05)
        self.pump(0.2)
        os.waitpid(self.shell, 0)
        os.close(self.fd)
        text = self.output.decode(errors="replace")
        rc = text.split("rc=")[1].split()[0] if "rc=" in text else None
        with open(os.path.join(self.workdir, "before")) as f:
            before = f.read()
        after_path = os.path.join(self.workdir, "after")
        after = open(after_path).read() if os.path.exists(after_path) else None
        return rc, before, after


def test_terminal(name, keys_before, ending, expected_rc):
    with tempfile.TemporaryDirectory() as workdir:
        run = TerminalRun(workdir)
        check(run.demo is not None, f"{name}: the demo did not start")
        if run.demo is None:
            return
        for key in keys_before:
            os.write(run.fd, key)
            run.pump(0.3)
            check(run.alive(), f"{name}: key {key!r} ended the demo")
        ending(run)
        rc, before, after = run.finish(3)
        check(rc == expected_rc, f"{name}: exit status {rc}, expected {expected_rc}")
        check(before == after, f"{name}: terminal settings changed: {before.strip()} -> {after and after.strip()}")


def main():
    test_pipe()
    arrows = [b"\x1b[A", b"\x1bOB", b"q"]
    test_terminal("Esc", arrows, lambda run: os.write(run.fd, b"\x1b"), "0")
    test_terminal("SIGTERM", arrows, lambda run: os.kill(run.demo, 15), "143")
    test_terminal("Ctrl-C", [], lambda run: os.write(run.fd, b"\x03"), "130")
    test_terminal("SIGSEGV", [], lambda run: os.kill(run.demo, 11), "139")
    if failures:
        print(f"{len(failures)} failure(s)")
        return 1
    print("all terminal and pipe checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
