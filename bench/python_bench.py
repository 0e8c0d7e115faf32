"""The Python module held to the C++ library it wraps, and in session mode to the exchange as a
Python user writes it (one requests.Session kept, with HTTPDigestAuth), in one run against the
same simulated cameras; then throughput over Python threads. Appends a Markdown section to --out.

    python_bench.py --sim PTZ_CAMERA_SIM --probe LATENCY_PROBE [--rounds N] [--out FILE]
"""

import argparse
import os
import statistics
import subprocess
import threading
import time
import xml.etree.ElementTree as ET

import requests
from requests.auth import HTTPDigestAuth

import zelko_ptz as z

USER, PASSWORD = "admin", "password"
CAMERAS = ["127.0.0.%d" % (30 + i) for i in range(8)]
CHANNEL = "http://%s/ISAPI/PTZCtrl/channels/1" % CAMERAS[0]
NS = {"isapi": "http://www.isapi.org/ver20/XMLSchema"}
POSITION = z.PtzAbsoluteEx(elevation=10.5, azimuth=200.25, absoluteZoom=4, focus=29000,
                           focalLen=48, horizontalSpeed=0.5, verticalSpeed=1.5)

MODULE = {
    "get_info": lambda c: c.get_info("/ISAPI/System/deviceInfo"),
    "get_ptz_absoluteEx": lambda c: c.get_ptz_absoluteEx(),
    "set_ptz_absoluteEx": lambda c: c.set_ptz_absoluteEx(POSITION),
    "reset_position": lambda c: c.reset_position(),
    "set_ptz_aux": lambda c: c.set_ptz_aux(z.PtzAux.Light, z.PtzStatus.On),
    "set_ptz_ctrl": lambda c: c.set_ptz_ctrl(z.PtzCtrl(10, -5, 0)),
}


SESSION = requests.Session()
SESSION.auth = HTTPDigestAuth(USER, PASSWORD)


def exchange(method, url, root=None, fields=None):
    """One command the way it is written without the library, on the one kept session."""
    body = None
    if root is not None:
        children = "".join("\t<%s>%s</%s>\n" % (k, v, k) for k, v in sorted(fields.items()))
        body = ('<?xml version="1.0" encoding="UTF-8"?>\n<%s xmlns="%s" version="2.0">\n%s</%s>\n'
                % (root, NS["isapi"], children, root))
    headers = {"Content-Type": 'application/xml; charset="UTF-8"'} if method == "PUT" else {}
    answer = SESSION.request(method, url, data=body, headers=headers, timeout=5)
    document = ET.fromstring(answer.content)
    if method == "PUT" and document.findtext("isapi:statusString", None, NS) != "OK":
        raise RuntimeError(answer.text)
    return document


def read_position():
    document = exchange("GET", CHANNEL + "/absoluteEx")
    return [float(document.findtext("isapi:" + name, None, NS)) for name in (
        "elevation", "azimuth", "absoluteZoom", "focus", "focalLen", "horizontalSpeed",
        "verticalSpeed")]


POSITION_TEXTS = {"elevation": "10.500000", "azimuth": "200.250000", "absoluteZoom": "4.000000",
                  "focus": "29000", "focalLen": "48", "horizontalSpeed": "0.500000",
                  "verticalSpeed": "1.500000", "zoomType": "absoluteZoom"}
REQUESTS = {
    "get_info": lambda: exchange("GET", "http://%s/ISAPI/System/deviceInfo" % CAMERAS[0]),
    "get_ptz_absoluteEx": read_position,
    "set_ptz_absoluteEx": lambda: exchange("PUT", CHANNEL + "/absoluteEx", "PtzAbsoluteEx",
                                           POSITION_TEXTS),
    "reset_position": lambda: exchange("PUT", CHANNEL + "/homeposition/goto"),
    "set_ptz_aux": lambda: exchange("PUT", CHANNEL + "/auxcontrols/1", "PTZAux",
                                    {"id": "1", "status": "on", "type": "LIGHT"}),
    "set_ptz_ctrl": lambda: exchange("PUT", CHANNEL + "/continuous", "PTZData",
                                     {"pan": "10", "tilt": "-5", "zoom": "0"}),
}


def timed(call, rounds):
    samples = []
    for _ in range(rounds):
        start = time.perf_counter()
        call()
        samples.append((time.perf_counter() - start) * 1e6)
    return samples


def probe(args, *words):
    out = subprocess.run([args.probe, *map(str, words)], check=True, capture_output=True, text=True)
    return [float(line) for line in out.stdout.split()]


def python_throughput(threads, seconds):
    done = [0] * threads
    stop = threading.Event()

    def work(i):
        camera = z.Camera(CAMERAS[i], USER + ":" + PASSWORD)
        while not stop.is_set():
            camera.set_ptz_ctrl(z.PtzCtrl(1, 0, 0))
            done[i] += 1

    workers = [threading.Thread(target=work, args=(i,)) for i in range(threads)]
    start = time.perf_counter()
    for w in workers:
        w.start()
    time.sleep(seconds)
    stop.set()
    for w in workers:
        w.join()
    return sum(done) / (time.perf_counter() - start)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--rounds", type=int, default=1000)
    parser.add_argument("--out")
    args = parser.parse_args()
    # The cameras on a core of their own, as cameras are machines of their own. Quiet: no thread
    # of this process wakes to read a log line while a call is timed.
    core = max(os.sched_getaffinity(0))
    sims = [subprocess.Popen([args.sim, "--listen", address, "--quiet"], stdout=subprocess.PIPE,
                             text=True, preexec_fn=lambda: os.sched_setaffinity(0, {core}))
            for address in CAMERAS]
    for sim in sims:
        sim.stdout.readline()  # "listening"
    try:
        report = run(args)
    finally:
        for sim in sims:
            sim.terminate()
    print(report, end="")
    if args.out:
        with open(args.out, "a") as out:
            out.write(report)


def run(args):
    blocks, block = 10, max(2, args.rounds // 10)
    lines = [
        "\n## Python module (per-command latency in µs: %d calls each of the module and the C++ "
        "library, interleaved in %d blocks; then as many in session mode, against one kept "
        "requests.Session with HTTPDigestAuth)\n\n" % (blocks * block, blocks),
        "| command | module median | C++ median | module/C++ | module session median | "
        "requests.Session median | module session/requests.Session |\n"
        "|---|---:|---:|---:|---:|---:|---:|\n"]
    camera = z.Camera(CAMERAS[0], USER + ":" + PASSWORD)
    session = z.Camera(CAMERAS[0], USER + ":" + PASSWORD, keep_session=True)
    worst = worst_session = 0.0
    # The module and the C++ probe on one core: where the scheduler put each client, on the
    # camera's core or the other, decided the medians more than either client did.
    cores = os.sched_getaffinity(0)
    os.sched_setaffinity(0, {min(cores)})
    for name, call in MODULE.items():
        timed(lambda: call(camera), 20)
        timed(lambda: call(session), 20)
        timed(REQUESTS[name], 20)
        module, cpp, kept, plain = [], [], [], []
        for _ in range(blocks):
            module += timed(lambda: call(camera), block)
            cpp += probe(args, "latency", CAMERAS[0], name, block)
            kept += timed(lambda: call(session), block)
            plain += timed(REQUESTS[name], block)
        m, c, k, r = (statistics.median(s) for s in (module, cpp, kept, plain))
        worst, worst_session = max(worst, m / c), max(worst_session, k / r)
        lines.append("| %s | %.0f | %.0f | %.3f | %.0f | %.0f | %.3f |\n" % (
            name, m, c, m / c, k, r, k / r))
    os.sched_setaffinity(0, cores)
    lines.append("\n## Python threads (set_ptz_ctrl, a Camera and a camera per thread, 2 s each)"
                 "\n\n| threads | module commands/s | C++ commands/s | module/C++ | module over "
                 "1 thread |\n|---:|---:|---:|---:|---:|\n")
    single = None
    for threads in (1, 2, 8):
        py = python_throughput(threads, 2.0)
        cpp = probe(args, "throughput", 2.0, *CAMERAS[:threads])[0]
        single = single or py
        lines.append("| %d | %.0f | %.0f | %.2f | %.2f |\n" % (threads, py, cpp, py / cpp,
                                                             py / single))
    lines.append("\nworst module/C++ latency ratio: %.3f\n" % worst)
    lines.append("worst module session/requests.Session latency ratio: %.3f\n" % worst_session)
    return "".join(lines)


if __name__ == "__main__":
    main()
