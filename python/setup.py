"""The core extension of the wheel, built against the installed library as pkg-config finds it;
the wheel takes the library's version."""

import shlex
import subprocess

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup


def pkg_config(*args: str) -> list[str]:
    out = subprocess.check_output(["pkg-config", *args, "zelko_ptz_camera_isapi"], text=True)
    return shlex.split(out)


def flags(given: list[str], prefix: str) -> list[str]:
    return [f[len(prefix):] for f in given if f.startswith(prefix)]


libs = pkg_config("--libs")
lib_dirs = flags(libs, "-L")
core = Pybind11Extension(
    "zelko_ptz._core",
    ["zelko_ptz.cpp", "values.cpp", "engine.cpp", "gil.cpp"],
    include_dirs=flags(pkg_config("--cflags"), "-I"),
    library_dirs=lib_dirs,
    libraries=flags(libs, "-l"),
    runtime_library_dirs=lib_dirs,
    cxx_std=17,
)
setup(version=pkg_config("--modversion")[0], ext_modules=[core])
