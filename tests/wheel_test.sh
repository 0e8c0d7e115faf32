#!/usr/bin/env bash
# Installs the built library into a temporary prefix, builds the Python wheel against it as a
# user would (python3 -m build --no-isolation --wheel), pip-installs the wheel into a fresh
# virtual environment, and steers a simulated camera from there, blocking and from asyncio.
set -euo pipefail
source_dir=$1
build_dir=$2
version=$3
python=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
cp -r "$source_dir/python" "$work/src"  # setuptools writes beside its sources
PKG_CONFIG_PATH=$prefix/lib/pkgconfig "$python" -m build --no-isolation --wheel \
    --outdir "$work/dist" "$work/src" >"$work/build.log" 2>&1 \
    || { cat "$work/build.log"; exit 1; }
wheel=$(ls "$work/dist"/zelko_ptz-"$version"-*.whl)
"$python" -m venv "$work/venv"
"$work/venv/bin/pip" install --quiet --no-index --no-deps "$wheel"

# The simulated camera loads the library from the prefix, as an installed one from the system.
LD_LIBRARY_PATH=$prefix/lib "$prefix/bin/ptz-camera-sim" --listen 127.0.0.1 --cameras 2 \
    --user admin:secret >"$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q listening "$work/sim.log" && break; sleep 0.1; done

out=$(cd "$work" && "$work/venv/bin/python" - <<'PY'
import asyncio, sys
import zelko_ptz, zelko_ptz.aio
assert zelko_ptz.__file__.startswith(sys.prefix), zelko_ptz.__file__
blocking = zelko_ptz.Camera("127.0.0.1", "admin:secret").get_position()

async def main():
    cameras = [zelko_ptz.aio.Camera(a, "admin:secret") for a in ("127.0.0.1", "127.0.0.2")]
    return await asyncio.gather(*(c.get_position() for c in cameras))

print(zelko_ptz.__version__, blocking == zelko_ptz.PtzPosition(
    elevation=0, azimuth=0, zoom=1, focus=29000, focal_length=48, horizontal_speed=0,
    vertical_speed=0), asyncio.run(main()) == [blocking, blocking])
PY
)
[ "$out" = "$version True True" ] || { echo "unexpected: $out"; exit 1; }
echo "the wheel $(basename "$wheel") installed into a virtual environment and steered the camera"
