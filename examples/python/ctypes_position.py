"""Reads a camera's absolute position through the C interface with ctypes alone, as any
foreign-function interface can: ctypes_position.py ADDRESS NAME:PASSWORD"""

import ctypes
import sys


class AbsoluteEx(ctypes.Structure):
    """zelko_ptz_absolute_ex"""

    _fields_ = [
        ("elevation", ctypes.c_float),
        ("azimuth", ctypes.c_float),
        ("absoluteZoom", ctypes.c_float),
        ("focus", ctypes.c_int32),
        ("focalLen", ctypes.c_int32),
        ("horizontalSpeed", ctypes.c_float),
        ("verticalSpeed", ctypes.c_float),
    ]


def main() -> int:
    if len(sys.argv) != 3:
        print(f"usage: {sys.argv[0]} ADDRESS NAME:PASSWORD", file=sys.stderr)
        return 64
    lib = ctypes.CDLL("libzelko_ptz_camera_isapi.so.1")
    lib.zelko_ptz_camera_new.restype = ctypes.c_void_p
    lib.zelko_ptz_camera_new.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_void_p]
    lib.zelko_ptz_camera_free.argtypes = [ctypes.c_void_p]
    lib.zelko_ptz_get_ptz_absoluteEx.argtypes = [ctypes.c_void_p, ctypes.POINTER(AbsoluteEx)]

    camera = lib.zelko_ptz_camera_new(sys.argv[1].encode(), sys.argv[2].encode(), None)
    if not camera:
        return 21
    p = AbsoluteEx()
    code = lib.zelko_ptz_get_ptz_absoluteEx(camera, ctypes.byref(p))
    lib.zelko_ptz_camera_free(camera)
    if code != 0:
        return code  # the library has written the reason to stderr
    print(f"elevation {p.elevation:g} azimuth {p.azimuth:g} zoom {p.absoluteZoom:g} focus {p.focus}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
