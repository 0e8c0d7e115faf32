"""Reads a camera's absolute position: read_position.py ADDRESS NAME:PASSWORD"""

import sys

import zelko_ptz


def main() -> int:
    if len(sys.argv) != 3:
        print(f"usage: {sys.argv[0]} ADDRESS NAME:PASSWORD", file=sys.stderr)
        return 64
    camera = zelko_ptz.Camera(sys.argv[1], sys.argv[2])
    try:
        p = camera.get_ptz_absoluteEx()
    except zelko_ptz.CameraError as error:
        return error.code  # error.message says why; the logger "zelko_ptz" has it too
    print(f"elevation {p.elevation:g} azimuth {p.azimuth:g} zoom {p.absoluteZoom:g} focus {p.focus}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
