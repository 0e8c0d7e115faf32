"""Reads the position of many cameras at once from one asyncio loop, without a thread per
camera: fleet_positions.py NAME:PASSWORD ADDRESS...

One line per camera, in the order given; the exit status is the first failing camera's code."""

import asyncio
import sys

import zelko_ptz
import zelko_ptz.aio


async def read(address: str, userpwd: str) -> str:
    async with zelko_ptz.aio.Camera(address, userpwd, keep_session=True) as camera:
        try:
            p = await camera.get_position()
        except zelko_ptz.CameraError as e:
            return f"{address}: failed with {e.code}: {e.reason}"
        return f"{address}: elevation {p.elevation:g} azimuth {p.azimuth:g} zoom {p.zoom:g}"


async def main() -> int:
    if len(sys.argv) < 3:
        print(f"usage: {sys.argv[0]} NAME:PASSWORD ADDRESS...", file=sys.stderr)
        return 64
    lines = await asyncio.gather(*(read(a, sys.argv[1]) for a in sys.argv[2:]))
    status = 0
    for line in lines:
        print(line)
        if status == 0 and ": failed with " in line:
            status = int(line.split(": failed with ")[1].split(":")[0])
    return status


if __name__ == "__main__":
    sys.exit(asyncio.run(main()))
