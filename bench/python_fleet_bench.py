"""Many cameras from Python: the position of every camera read once, at first contact and again,
through zelko_ptz.aio on one loop, against its asyncio peer (httpx.AsyncClient with
DigestAuth, asyncio.gather; one client, and a client per camera), the blocking module on a pool of 8 threads and on a thread per
camera; then silent cameras. Cameras answer after 20 ms. Appends a Markdown section to --out.

    python_fleet_bench.py --sim PTZ_CAMERA_SIM [--cameras N] [--out FILE]
"""

import argparse
import asyncio
import concurrent.futures
import json
import subprocess
import sys
import threading
import time

import zelko_ptz as z
import zelko_ptz.aio

USER, PASSWORD = "admin", "password"
PORT, SILENT_PORT = 8090, 8091
PATH = "/ISAPI/PTZCtrl/channels/1/absoluteEx"


def addresses(n, first=(127 << 24) + (1 << 8) + 1):
    """n consecutive addresses from 127.0.1.1 onwards, as the simulated fleet takes them."""
    return ["%d.%d.%d.%d" % ((a >> 24) & 255, (a >> 16) & 255, (a >> 8) & 255, a & 255)
            for a in range(first, first + n)]


def simulated(sim, first, n, *switches, port=PORT):
    process = subprocess.Popen([sim, "--listen", first, "--port", str(port), "--cameras", str(n),
                                "--quiet", *switches], stdout=subprocess.PIPE, text=True)
    process.stdout.readline()  # "listening"
    return process


def twice(read):
    """Seconds of the first round and of the second, and the threads during the second."""
    start = time.perf_counter()
    read()
    first = time.perf_counter() - start
    seen = []
    start = time.perf_counter()
    read(seen)
    return first, time.perf_counter() - start, max(seen or [threading.active_count()])


def with_aio(hosts):
    mark_base()
    cameras = [zelko_ptz.aio.Camera(h, USER + ":" + PASSWORD, port=PORT, keep_session=True)
               for h in hosts]
    loop = asyncio.new_event_loop()

    def read(seen=None):
        async def all_of():
            reads = asyncio.gather(*(c.get_position() for c in cameras))
            if seen is not None:
                seen.append(threading.active_count())
            return await reads
        loop.run_until_complete(all_of())

    try:
        return twice(read)
    finally:
        loop.close()


def with_httpx(hosts, client_per_camera=False):
    import httpx  # here, so that the other rows' memory does not hold it

    mark_base()

    loop = asyncio.new_event_loop()

    def new_client():
        return httpx.AsyncClient(auth=httpx.DigestAuth(USER, PASSWORD),
                                 limits=httpx.Limits(max_connections=None,
                                                     max_keepalive_connections=None))
    # An integration's camera object often owns its client: each holds its own TLS context.
    clients = [new_client() for _ in hosts] if client_per_camera else [new_client()]

    def read(seen=None):
        async def one(i, h):
            client = clients[i % len(clients)]
            answer = await client.get("http://%s:%d%s" % (h, PORT, PATH))
            answer.raise_for_status()
            return answer.text

        async def all_of():
            reads = asyncio.gather(*(one(i, h) for i, h in enumerate(hosts)))
            if seen is not None:
                seen.append(threading.active_count())
            return await reads
        loop.run_until_complete(all_of())

    try:
        return twice(read)
    finally:
        for client in clients:
            loop.run_until_complete(client.aclose())
        loop.close()


def with_threads(hosts, workers):
    mark_base()
    cameras = [z.Camera(h, USER + ":" + PASSWORD, port=PORT, keep_session=True) for h in hosts]
    pool = concurrent.futures.ThreadPoolExecutor(workers)

    def read(seen=None):
        futures = [pool.submit(c.get_position) for c in cameras]
        if seen is not None:
            seen.append(threading.active_count())
        for f in futures:
            f.result()

    try:
        return twice(read)
    finally:
        pool.shutdown()


def resident_mib(key="VmHWM:"):
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith(key):
                return int(line.split()[1]) / 1024.0
    return 0.0


BASE = [0.0]


def mark_base():
    """What the process holds before its row makes a camera: the interpreter and its imports."""
    BASE[0] = resident_mib("VmRSS:")


ROWS = {
    "zelko_ptz.aio, one loop": with_aio,
    "httpx.AsyncClient with DigestAuth, asyncio.gather": with_httpx,
    "httpx, an AsyncClient with DigestAuth per camera, asyncio.gather":
        lambda hosts: with_httpx(hosts, client_per_camera=True),
    "blocking, pool of 8 threads": lambda hosts: with_threads(hosts, 8),
    "blocking, a thread per camera": lambda hosts: with_threads(hosts, len(hosts)),
}


def row_in_a_process(name, cameras):
    """One row in a process of its own, so that its peak resident memory is its own."""
    out = subprocess.check_output([sys.executable, __file__, "--row", name, "--cameras",
                                   str(cameras), "--sim", "-"], text=True)
    return json.loads(out)


def silent_with_aio(hosts):
    cameras = [zelko_ptz.aio.Camera(h, USER + ":" + PASSWORD, port=SILENT_PORT) for h in hosts]

    async def all_of():
        return await asyncio.gather(*(c.get_position() for c in cameras), return_exceptions=True)

    start = time.perf_counter()
    results = asyncio.run(all_of())
    return time.perf_counter() - start, sum(not isinstance(r, z.TransferError) for r in results)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sim", required=True)
    parser.add_argument("--cameras", type=int, default=500)
    parser.add_argument("--out")
    parser.add_argument("--row", help=argparse.SUPPRESS)
    args = parser.parse_args()
    hosts = addresses(args.cameras)
    if args.row:
        first, again, threads = ROWS[args.row](hosts)
        peak = resident_mib()
        print(json.dumps([first, again, threads, peak, peak - BASE[0]]))
        return
    silent_hosts = addresses(100, (127 << 24) + (9 << 16) + 1)
    sims = [simulated(args.sim, hosts[0], args.cameras, "--answer-delay", "20"),
            simulated(args.sim, silent_hosts[0], 100, "--silent", port=SILENT_PORT)]
    lines = ["\n## Python, many cameras (the position of %d cameras, first contact and again, "
             "answers after 20 ms; each row in a process of its own; threads while the reads "
             "are pending)\n\n| how | first (s) | again (s) | "
             "threads | resident (MiB) | of it, the cameras' (MiB) |\n"
             "|---|---:|---:|---:|---:|---:|\n" % args.cameras]
    try:
        rows = [(name, row_in_a_process(name, args.cameras)) for name in ROWS]
        for name, (first, again, threads, resident, own) in rows:
            lines.append("| %s | %.3f | %.3f | %d | %.1f | %.1f |\n" % (
                name, first, again, threads, resident, own))
        seconds, wrong = silent_with_aio(silent_hosts)
        lines.append("\n100 silent cameras through zelko_ptz.aio: every call failed within "
                     "%.2f s (%d not TransferError)\n" % (seconds, wrong))
        aio, peer, peers, threads = (rows[i][1] for i in (0, 1, 2, 4))
        lines.append("zelko_ptz.aio/httpx, again: %.3f; resident: %.3f; the cameras' resident: "
                     "%.3f\n" % (aio[1] / peer[1], aio[3] / peer[3], aio[4] / peer[4]))
        lines.append("zelko_ptz.aio/httpx with a client per camera, again: %.3f; resident: "
                     "%.3f\n" % (aio[1] / peers[1], aio[3] / peers[3]))
        lines.append("zelko_ptz.aio/a thread per camera, again: %.3f\n" % (aio[1] / threads[1]))
    finally:
        for sim in sims:
            sim.terminate()
    report = "".join(lines)
    print(report, end="")
    if args.out:
        with open(args.out, "a") as out:
            out.write(report)


if __name__ == "__main__":
    main()
