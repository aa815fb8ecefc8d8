"""What the end-to-end scripts share: failed checks collected as they come,
the closing report, and waiting for a sign of readiness."""
import os
import select
import subprocess
import time

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def report(case):
    """The script's exit status after every check of the case has run."""
    if failures:
        print(f"{len(failures)} failure(s)")
        return 1
    print(f"{case}: all checks passed")
    return 0


def wait_for(condition, seconds):
    """The first true value of condition(), polled until `seconds` have
    passed; None when it never came."""
    deadline = time.monotonic() + seconds
    while True:
        result = condition()
        if result or time.monotonic() > deadline:
            return result or None
        time.sleep(0.05)


def end_process(process):
    """Terminates a process that still runs, killing it if it lingers."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def read_terminal(fd, seconds, until):
    """What a pseudo-terminal's far end writes within `seconds`, stopping
    early once the bytes `until` have come or the terminal closes."""
    output = b""
    end = time.monotonic() + seconds
    while (left := end - time.monotonic()) > 0 and until not in output:
        if not select.select([fd], [], [], left)[0]:
            continue
        try:
            data = os.read(fd, 4096)
        except OSError:
            break
        if not data:
            break
        output += data
    return output
