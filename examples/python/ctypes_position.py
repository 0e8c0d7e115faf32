"""Reads a camera's position through the C interface with ctypes alone, as any foreign-function
interface can: ctypes_position.py ADDRESS NAME:PASSWORD"""

import ctypes
import sys

FOCUS = 0x08  # ZELKO_PTZ_POSITION_FOCUS


class Position(ctypes.Structure):
    """zelko_ptz_position"""

    _fields_ = [
        ("elevation", ctypes.c_float),
        ("azimuth", ctypes.c_float),
        ("zoom", ctypes.c_float),
        ("focus", ctypes.c_int32),
        ("focal_length", ctypes.c_int32),
        ("horizontal_speed", ctypes.c_float),
        ("vertical_speed", ctypes.c_float),
        ("present", ctypes.c_uint32),
    ]


def main() -> int:
    if len(sys.argv) != 3:
        print(f"usage: {sys.argv[0]} ADDRESS NAME:PASSWORD", file=sys.stderr)
        return 64
    lib = ctypes.CDLL("libzelko_ptz_camera_isapi.so.1")
    lib.zelko_ptz_camera_new.restype = ctypes.c_void_p
    lib.zelko_ptz_camera_new.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_void_p]
    lib.zelko_ptz_camera_free.argtypes = [ctypes.c_void_p]
    lib.zelko_ptz_get_position.argtypes = [ctypes.c_void_p, ctypes.POINTER(Position)]
    lib.zelko_ptz_failure_reason.restype = ctypes.c_char_p
    lib.zelko_ptz_failure_reason.argtypes = [ctypes.c_void_p]

    camera = lib.zelko_ptz_camera_new(sys.argv[1].encode(), sys.argv[2].encode(), None)
    if not camera:
        return 21
    p = Position()
    code: int = lib.zelko_ptz_get_position(camera, ctypes.byref(p))
    reason = lib.zelko_ptz_failure_reason(camera).decode(errors="replace")
    lib.zelko_ptz_camera_free(camera)
    if code != 0:
        print(reason, file=sys.stderr)
        return code
    focus = f" focus {p.focus}" if p.present & FOCUS else ""
    print(f"elevation {p.elevation:g} azimuth {p.azimuth:g} zoom {p.zoom:g}{focus}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
