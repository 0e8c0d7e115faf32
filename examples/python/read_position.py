"""Reads a camera's position: read_position.py ADDRESS NAME:PASSWORD"""

import sys

import zelko_ptz


def main() -> int:
    if len(sys.argv) != 3:
        print(f"usage: {sys.argv[0]} ADDRESS NAME:PASSWORD", file=sys.stderr)
        return 64
    with zelko_ptz.Camera(sys.argv[1], sys.argv[2]) as camera:
        try:
            p = camera.get_position()
        except zelko_ptz.CameraError as error:
            print(error.reason, file=sys.stderr)
            return error.code
    focus = f" focus {p.focus}" if p.focus is not None else ""
    print(f"elevation {p.elevation:g} azimuth {p.azimuth:g} zoom {p.zoom:g}{focus}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
