#!/usr/bin/env bash
# Installs the built library into a temporary prefix, builds the examples against that prefix
# alone (the C one with the C compiler and pkg-config's flags only), and reads a simulated
# camera's position with each.
set -euo pipefail
source_dir=$1
build_dir=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

cmake -S "$source_dir/examples/cmake" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_FIND_PACKAGE_NO_PACKAGE_REGISTRY=ON >/dev/null
cmake --build "$work/cmake" >/dev/null
grep -q "ZelkoPtzCameraIsapi_DIR:PATH=$prefix/" "$work/cmake/CMakeCache.txt" \
    || { echo "the CMake example did not find the installed package"; exit 1; }

# A host that builds the library in its own tree gets the library alone, with warnings that do not
# stop its build.
cmake -S "$source_dir/examples/subdirectory" -B "$work/subdirectory" >/dev/null
cmake --build "$work/subdirectory" -j"$(nproc)" >/dev/null
for built in ptzctl ptz-camera-sim network_tests; do
    [ -z "$(find "$work/subdirectory" -name "$built" -type f)" ] \
        || { echo "the subproject built $built"; exit 1; }
done
grep -q -- "-Werror" "$work/subdirectory/zelko_ptz_camera_isapi/CMakeFiles/zelko_ptz_objects.dir/flags.make" \
    && { echo "the subproject builds with -Werror"; exit 1; }

PKG_CONFIG_PATH=$prefix/lib/pkgconfig "$source_dir/examples/pkg-config/build.sh" \
    "$work/read_position_pc"
# A C host needs no C++ flags: the C compiler, strict C99, and what pkg-config gives.
PKG_CONFIG_PATH=$prefix/lib/pkgconfig ${CC:-cc} -std=c99 -Wall -Wextra -Werror -pedantic \
    -o "$work/read_position_c" "$source_dir/examples/c/read_position.c" \
    $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs zelko_ptz_camera_isapi)
PKG_CONFIG_PATH=$prefix/lib/pkgconfig ${CC:-cc} -std=c99 -Wall -Wextra -Werror -pedantic \
    -o "$work/fleet_epoll" "$source_dir/examples/c/fleet_epoll.c" \
    $(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs zelko_ptz_camera_isapi)
# Every installed header passes a strict host's warnings as the error it makes of them; the C
# header compiles as C89 too.
flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags zelko_ptz_camera_isapi)
(cd "$prefix/include/zelko_ptz_camera_isapi" && printf '#include <%s>\n' */*.h) \
    | ${CXX:-c++} -std=c++17 -x c++ -fsyntax-only -Werror -Wall -Wextra -Wpedantic -Wshadow \
        -Wconversion -Wsign-conversion -Wold-style-cast -Wfloat-equal -Wundef $flags -
echo '#include <ptz/zelko_ptz_c.h>' | ${CC:-cc} -std=c89 -x c -fsyntax-only -Werror -pedantic $flags -
[ "$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --modversion zelko_ptz_camera_isapi)" = "$version" ]
requires=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --print-requires-private \
    zelko_ptz_camera_isapi | tr '\n' ' ')
[ "$requires" = "libcurl pugixml " ] || { echo "Requires.private is wrong: $requires"; exit 1; }

# All link the installed library, not the build tree's.
export LD_LIBRARY_PATH=$prefix/lib
for program in "$work/cmake/read_position" "$work/read_position_pc" "$work/read_position_c"; do
    # Read whole before matching: grep -q would close the pipe early and fail it under pipefail.
    libraries=$(ldd "$program")
    [[ "$libraries" == *"libzelko_ptz_camera_isapi.so.1 => $prefix/lib/"* ]] \
        || { echo "$program does not load the installed library"; echo "$libraries"; exit 1; }
done

[ "$("$prefix/bin/ptz-camera-sim" --version)" = "ptz-camera-sim $version" ] \
    && [ "$("$prefix/bin/ptzctl" --version)" = "ptzctl $version, library $version" ] \
    || { echo "the installed tools do not say their version"; exit 1; }
refused=$(timeout 5 "$prefix/bin/ptz-camera-sim" --listen 127.0.0.1 --cameras 4096 --channels 17 2>&1 || true)
[ "$refused" = "ptz-camera-sim: 4096 cameras of 17 channels make 69632; 65536 channels in all at most" ] \
    || { echo "the simulated camera took more channels than it holds: $refused"; exit 1; }
refused=$("$prefix/bin/ptz-camera-sim" --listen 127.0.0.1 --challenge $'x\e[2J' 2>&1 || true)
[ "$refused" = 'ptz-camera-sim: --challenge takes newer or older: x\x1b[2J' ] \
    || { echo "the simulated camera wrote an escape sequence raw: ${refused@Q}"; exit 1; }
refused=$(timeout 5 "$prefix/bin/ptz-camera-sim" --listen 127.0.0.1 --tls-cert /dev/zero 2>&1 || true)
[ "$refused" = "ptz-camera-sim: cannot read /dev/zero" ] \
    || { echo "the simulated camera read a certificate without end: $refused"; exit 1; }
# The installed completion: a camera file's name comes quoted and is never run as a command, and
# a flag takes no value, so the word after it is a command.
mkdir -p "$work/config/ptzctl"
touch "$work/config/ptzctl/"{'$(touch${IFS}ran)','my yard',dock}.toml
completed=$(cd "$work" && LC_ALL=C XDG_CONFIG_HOME=$work/config bash -c '
    source "$1"
    complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _ptzctl; echo "${COMPREPLY[*]}"; }
    complete_words ptzctl --camera ""
    complete_words ptzctl --camera m
    complete_words ptzctl --https po
    complete_words ptzctl --host h light ""
    complete_words ptzctl position -' _ "$prefix/share/bash-completion/completions/ptzctl")
[ "$completed" = '\$\(touch\$\{IFS\}ran\) dock my\ yard
my\ yard
position
on off --help
--json --help' ] && [ ! -e "$work/ran" ] || { echo "the completion is wrong: $completed"; exit 1; }
"$prefix/bin/ptz-camera-sim" --listen 127.0.0.1 --cameras 3 --user admin:secret >"$work/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do grep -q listening "$work/sim.log" && break; sleep 0.1; done

programs=("$work/cmake/read_position" "$work/read_position_pc" "$work/read_position_c"
          "$work/subdirectory/read_position")
# ctypes finds the C interface in the installed .so with no compiler and no binding.
programs+=("python3 $source_dir/examples/python/ctypes_position.py")
# The Python module, when built, is imported from the prefix, away from the build tree.
if [ -n "${ZELKO_PYTHON:-}" ]; then
    site=$(dirname "$(dirname "$(find "$prefix" -name '_core.cpython-*.so')")")
    for file in __init__.py aio.py _core.pyi py.typed; do
        [ -f "$site/zelko_ptz/$file" ] || { echo "no $file installed in $site/zelko_ptz"; exit 1; }
    done
    export PYTHONPATH=$site
    loaded=$(cd "$work" && "$ZELKO_PYTHON" -c 'import zelko_ptz._core as c; print(c.__file__)')
    [[ "$loaded" == "$site/"* ]] || { echo "zelko_ptz came from $loaded"; exit 1; }
    libraries=$(ldd "$loaded")
    [[ "$libraries" == *"libzelko_ptz_camera_isapi.so.1 => $prefix/lib/"* ]] \
        || { echo "the module does not load the installed library"; echo "$libraries"; exit 1; }
    programs+=("$ZELKO_PYTHON $source_dir/examples/python/read_position.py")
fi
for program in "${programs[@]}"; do
    out=$(cd "$work" && $program 127.0.0.1 admin:secret)
    [ "$out" = "elevation 0 azimuth 0 zoom 1 focus 29000" ] || { echo "unexpected: $out"; exit 1; }
done
# Ctrl-C gives up a camera that never answers, within a second rather than at its 5 s time-out.
python3 -c 'import socket, time; s = socket.create_server(("127.0.0.9", 80)); time.sleep(9)' \
    >/dev/null 2>&1 &
silent=$!
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.9/80) 2>/dev/null && break; sleep 0.1; done
status=0
timeout -s INT --preserve-status 0.5 "$work/read_position_c" 127.0.0.9 admin:secret 2>/dev/null \
    || status=$?
kill $silent
[ "$status" = 130 ] || { echo "the C example was not interrupted: exit $status"; exit 1; }
# Three cameras and an address where none answers, from one epoll loop in C and from one asyncio
# loop in Python.
fleets=("./fleet_epoll")
[ -n "${ZELKO_PYTHON:-}" ] && fleets+=("$ZELKO_PYTHON $source_dir/examples/python/fleet_positions.py")
for fleet in "${fleets[@]}"; do
    set +e
    out=$(cd "$work" && $fleet admin:secret 127.0.0.1 127.0.0.2 127.0.0.9 127.0.0.3 2>"$work/fleet.err")
    status=$?
    set -e
    expected="127.0.0.1: elevation 0 azimuth 0 zoom 1
127.0.0.2: elevation 0 azimuth 0 zoom 1
127.0.0.9: failed with 1: Failed to connect to 127.0.0.9 port 80 after * ms: Couldn't connect to server
127.0.0.3: elevation 0 azimuth 0 zoom 1"
    # shellcheck disable=SC2053
    [[ "$out" == $expected ]] && [ "$status" = 1 ] \
        || { echo "$fleet: $status"; echo "$out"; cat "$work/fleet.err"; exit 1; }
done
echo "${#programs[@]} examples used the library installed in $prefix and read the position"
