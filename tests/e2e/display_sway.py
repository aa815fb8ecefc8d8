#!/usr/bin/env python3
"""The demo under sway, headless, natively on Wayland and through Xwayland:
a screenshot shows the frame, the compositor's close ends the demo with 0,
Esc from the terminal ends it with 0, and the compositor going away ends it
with 1 within a second, the terminal's settings restored.

Usage: display_sway.py PATH-TO-TESSIK wayland|xwayland

sway refuses to run as root: as root, sway and the demo run as the user
nobody, with a runtime directory of their own, and the demo from a copy
that nobody may read. Exits 77 (skipped) when sway, grim or swaymsg are
missing.
"""
import json
import os
import pty
import shutil
import subprocess
import sys
import tempfile
import time

from checks import check, end_process, read_terminal, report, wait_for

SKIP = 77


class Sway:
    """A headless sway with one 640 x 480 output, run by an unprivileged user."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.runtime = os.path.join(workdir, "runtime")
        os.mkdir(self.runtime, 0o700)
        self.as_user = []
        if os.getuid() == 0:
            for path in (workdir, self.runtime):
                os.chown(path, 65534, 65534)
            os.chmod(workdir, 0o755)
            self.as_user = ["setpriv", "--reuid", "65534", "--regid", "65534", "--clear-groups"]
        ready = os.path.join(self.runtime, "ready")
        config = os.path.join(workdir, "config")
        with open(config, "w") as f:
            # sway runs the exec lines once it serves clients; the file says
            # where they connect.
            f.write("output HEADLESS-1 resolution 640x480\n"
                    "xwayland enable\n"
                    f"exec printenv WAYLAND_DISPLAY DISPLAY SWAYSOCK > {ready}.part && "
                    f"mv {ready}.part {ready}\n")
        os.chmod(config, 0o644)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.runtime,
               "XDG_RUNTIME_DIR": self.runtime, "WLR_BACKENDS": "headless",
               "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"}
        self.log = open(os.path.join(workdir, "sway.log"), "w")
        self.process = subprocess.Popen(self.as_user + ["sway", "-c", config], env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        if not wait_for(lambda: os.path.exists(ready) or self.process.poll() is not None, 20) \
                or not os.path.exists(ready):
            self.stop()
            raise RuntimeError("sway did not start: " + open(self.log.name).read()[-500:])
        wayland, display, sock = open(ready).read().split()
        self.env = dict(env, WAYLAND_DISPLAY=wayland, DISPLAY=display, SWAYSOCK=sock,
                        LSAN_OPTIONS="detect_leaks=0")

    def run(self, args, timeout=10):
        return subprocess.run(self.as_user + args, env=self.env, capture_output=True, timeout=timeout)

    def demo_window(self):
        """The demo's window in sway's tree, once it is mapped."""
        tree = self.run(["swaymsg", "-t", "get_tree"])
        if tree.returncode != 0:
            return None
        nodes = [json.loads(tree.stdout)]
        while nodes:
            node = nodes.pop()
            if node.get("name") == "Tessik" and node.get("visible"):
                return node
            nodes += node.get("nodes", []) + node.get("floating_nodes", [])
        return None

    def stop(self):
        end_process(self.process)
        self.log.close()


class Demo:
    """The demo on a pseudo-terminal of its own; a shell records its exit
    status and the terminal's settings before and after it."""

    def __init__(self, sway, tessik, native):
        env = dict(sway.env)
        if native:
            env["SDL_VIDEODRIVER"] = "wayland"
            del env["DISPLAY"]
        else:
            del env["WAYLAND_DISPLAY"]
        self.output = b""
        self.workdir = sway.workdir
        for name in ("before", "after"):
            if os.path.exists(os.path.join(self.workdir, name)):
                os.remove(os.path.join(self.workdir, name))
        script = ('cd "$1"; stty -g > before; "$0"; echo "rc=$?"; stty -g > after')
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execvpe(sway.as_user[0] if sway.as_user else "sh",
                       sway.as_user + ["sh", "-c", script, tessik, self.workdir], env)

    def finish(self, seconds):
        """The exit status and whether the terminal got its settings back;
        None as status when the demo still ran `seconds` later."""
        start = time.monotonic()
        self.output += read_terminal(self.fd, seconds, b"rc=")
        elapsed = time.monotonic() - start
        text = self.output.decode(errors="replace")
        if "rc=" not in text:
            os.kill(self.pid, 9)
            subprocess.run(["pkill", "-9", "-s", str(self.pid)])
        os.waitpid(self.pid, 0)
        os.close(self.fd)
        rc = text.split("rc=")[1].split()[0] if "rc=" in text else None
        settings = [open(os.path.join(self.workdir, n)).read()
                    if os.path.exists(os.path.join(self.workdir, n)) else None
                    for n in ("before", "after")]
        return rc, settings[0] is not None and settings[0] == settings[1], elapsed


def screenshot_shows_frame(sway):
    shot = sway.run(["grim", "-t", "ppm", "-"])
    if shot.returncode != 0:
        return None
    header, pixels = shot.stdout[:15], shot.stdout[15:]
    if header != b"P6\n640 480\n255\n" or len(pixels) != 640 * 480 * 3:
        return None
    lit = sum(1 for i in range(0, len(pixels), 3) if pixels[i:i + 3] != b"\0\0\0")
    colours = len({pixels[i:i + 3] for i in range(0, len(pixels), 3)})
    return (lit, colours) if lit * 5 > 640 * 480 and colours > 1000 else None


def run_case(tessik, native):
    kind = "Wayland" if native else "Xwayland"
    with tempfile.TemporaryDirectory() as workdir:
        os.chmod(workdir, 0o755)
        copy = os.path.join(workdir, "tessik")
        shutil.copy(tessik, copy)
        os.chmod(copy, 0o755)
        sway = Sway(workdir)
        try:
            # Shown, and closed by the compositor.
            demo = Demo(sway, copy, native)
            window = wait_for(sway.demo_window, 20)
            check(window is not None, f"{kind}: the demo's window was never mapped")
            if window:
                shown = wait_for(lambda: screenshot_shows_frame(sway), 15)
                check(shown is not None, f"{kind}: the screenshot shows no frame")
                print(f"{kind}: screenshot with {shown} lit pixels and colours")
                closed = sway.run(["swaymsg", '[title="^Tessik$"] kill'])
                check(closed.returncode == 0, f"{kind}: swaymsg kill failed: {closed.stdout!r}")
            rc, restored, elapsed = demo.finish(5)
            check(rc == "0", f"{kind}: closed by the compositor: exit status {rc}, expected 0")
            check(restored, f"{kind}: closed by the compositor: terminal settings changed")

            # Esc from the terminal.
            demo = Demo(sway, copy, native)
            if wait_for(sway.demo_window, 20):
                os.write(demo.fd, b"\x1b")
            rc, restored, elapsed = demo.finish(5)
            check(rc == "0", f"{kind}: Esc from the terminal: exit status {rc}, expected 0")
            check(restored, f"{kind}: Esc from the terminal: terminal settings changed")

            # The compositor goes away under the running demo.
            demo = Demo(sway, copy, native)
            if wait_for(sway.demo_window, 20):
                sway.stop()
            rc, restored, elapsed = demo.finish(5)
            check(rc == "1", f"{kind}: compositor gone: exit status {rc}, expected 1")
            check(elapsed < 1.0, f"{kind}: compositor gone: the demo took {elapsed:.2f} s to end")
            check(restored, f"{kind}: compositor gone: terminal settings changed")
            print(f"{kind}: compositor gone: status {rc} after {elapsed:.2f} s")
        finally:
            sway.stop()


def main():
    tessik, case = os.path.abspath(sys.argv[1]), sys.argv[2]
    for tool in ("sway", "swaymsg", "grim") + (("setpriv",) if os.getuid() == 0 else ()):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed")
            return SKIP
    if case not in ("wayland", "xwayland"):
        print(f"unknown case {case}")
        return 2
    run_case(tessik, case == "wayland")
    return report(case)


if __name__ == "__main__":
    sys.exit(main())
