# The simulated camera's command line: what it refuses, with status 64 and one line.

import os
import subprocess

import pytest


@pytest.mark.parametrize("args, line", [
    (["--listen", "::1"], "--listen takes an IPv4 address: ::1"),
    (["--listen", "127.0.0.300"], "--listen takes an IPv4 address: 127.0.0.300"),
    (["--listen", "255.255.255.250", "--cameras", "7"],
     "7 cameras from 255.255.255.250 run past 255.255.255.255"),
    (["--cameras", "4096", "--channels", "17", "--listen", "10.0.0.1"],
     "4096 cameras of 17 channels make 69632; 65536 channels in all at most"),
    (["--port", "65536"], "--port takes 1 to 65535: 65536"),
    (["--listen"], "--listen needs a value; see --help"),
    (["--port", "80"], "--listen ADDR is needed; see --help"),
    (["--listen", "127.0.0.1", "--tls-key", "/dev/null"], "cannot read /dev/null"),
    (["--listen", "127.0.0.1", "--fast"], "unknown argument --fast; see --help"),
])
def test_refused(args, line):
    run = subprocess.run([os.environ["ZELKO_SIM"], *args], capture_output=True, text=True,
                         timeout=10)
    assert (run.returncode, run.stdout, run.stderr) == (64, "", f"ptz-camera-sim: {line}\n")
