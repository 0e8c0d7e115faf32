#!/usr/bin/env bash
# Builds the Debian packages with CPack and checks their contents and dependencies.
set -euo pipefail
build_dir=$1
version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build_dir" && cpack -G DEB -B "$out" >/dev/null)

failed=0
files() { dpkg-deb -c "$out/$1"_${version}_amd64.deb | awk '$1 !~ /^d/ {print $6}' | sort | tr '\n' ' '; }
depends() { dpkg-deb -f "$out/$1"_${version}_amd64.deb Depends; }
expect_files() {
    local actual
    actual=$(files "$1" | sed 's/ZelkoPtzCameraIsapiTargets-[a-z]*\.cmake/ZelkoPtzCameraIsapiTargets-CONFIG.cmake/')
    if [ "$actual" != "$2" ]; then
        printf '%s holds:\n  %s\nexpected:\n  %s\n' "$1" "$actual" "$2"
        failed=1
    fi
}
expect_depends() {
    local d
    d=$(depends "$1")
    shift
    for want in "$@"; do
        case ", $d," in
            *", $want"[\ ,]*) ;;
            *) printf '%s Depends lacks %s: %s\n' "$pkg" "$want" "$d"; failed=1 ;;
        esac
    done
}

# Each package carries the license and the changelog.
doc() { echo "./usr/share/doc/zelko-ptz-camera-isapi-$1/CHANGELOG.md ./usr/share/doc/zelko-ptz-camera-isapi-$1/LICENSE"; }
expect_files libzelko-ptz-camera-isapi1 \
    "./usr/lib/libzelko_ptz_camera_isapi.so.1 ./usr/lib/libzelko_ptz_camera_isapi.so.$version $(doc runtime) "
cmake_dir=./usr/lib/cmake/ZelkoPtzCameraIsapi
expect_files libzelko-ptz-camera-isapi-dev \
    "./usr/include/zelko_ptz_camera_isapi/ptz/camera_options.h ./usr/include/zelko_ptz_camera_isapi/ptz/capability_fields.h ./usr/include/zelko_ptz_camera_isapi/ptz/engine.h ./usr/include/zelko_ptz_camera_isapi/ptz/limits.h ./usr/include/zelko_ptz_camera_isapi/ptz/option_fields.h ./usr/include/zelko_ptz_camera_isapi/ptz/position_fields.h ./usr/include/zelko_ptz_camera_isapi/ptz/ptz_types.h ./usr/include/zelko_ptz_camera_isapi/ptz/refusal.h ./usr/include/zelko_ptz_camera_isapi/ptz/result.h ./usr/include/zelko_ptz_camera_isapi/ptz/terminal_text.h ./usr/include/zelko_ptz_camera_isapi/ptz/zelko_ptz_c.h ./usr/include/zelko_ptz_camera_isapi/ptz/zelko_ptz_camera_isapi.h ./usr/include/zelko_ptz_camera_isapi/utils/export.h ./usr/include/zelko_ptz_camera_isapi/utils/http_client.h ./usr/include/zelko_ptz_camera_isapi/utils/xml_parser.h $cmake_dir/ZelkoPtzCameraIsapiConfig.cmake $cmake_dir/ZelkoPtzCameraIsapiConfigVersion.cmake $cmake_dir/ZelkoPtzCameraIsapiTargets-CONFIG.cmake $cmake_dir/ZelkoPtzCameraIsapiTargets.cmake ./usr/lib/libzelko_ptz_camera_isapi.so ./usr/lib/pkgconfig/zelko_ptz_camera_isapi.pc $(doc development) "
expect_files zelko-ptz-camera-isapi-tools \
    "./usr/bin/ptz-camera-sim ./usr/bin/ptzctl ./usr/share/bash-completion/completions/ptzctl $(doc tools) ./usr/share/man/man1/ptz-camera-sim.1 ./usr/share/man/man1/ptzctl.1 "

pkg=libzelko-ptz-camera-isapi1
expect_depends $pkg "libcurl4 (>=" "libpugixml1v5 (>=" "libstdc++6 (>=" "libc6 (>="
pkg=libzelko-ptz-camera-isapi-dev
expect_depends $pkg "libzelko-ptz-camera-isapi1 (= $version)" libcurl4-openssl-dev libpugixml-dev
pkg=zelko-ptz-camera-isapi-tools
expect_depends $pkg "libzelko-ptz-camera-isapi1 (= $version)" "libmicrohttpd12 (>=" "libssl3 (>="
# CLI11 is compiled into ptzctl: no package needs it at run time.
for deb in libzelko-ptz-camera-isapi-dev zelko-ptz-camera-isapi-tools; do
    case $(depends $deb) in *cli11*) echo "$deb depends on CLI11"; failed=1 ;; esac
done

if [ -n "${ZELKO_PYTHON:-}" ]; then
    site=./usr/lib/python$("$ZELKO_PYTHON" -c 'import sys; print("%d.%d" % sys.version_info[:2])')/dist-packages
    expect_files python3-zelko-ptz-camera-isapi "$site/zelko_ptz/__init__.py $(cd "$build_dir/python" && ls zelko_ptz/_core.cpython-*.so | sed "s|^|$site/|") $site/zelko_ptz/_core.pyi $site/zelko_ptz/aio.py $site/zelko_ptz/py.typed $(doc python) "
    pkg=python3-zelko-ptz-camera-isapi
    expect_depends $pkg "libzelko-ptz-camera-isapi1 (= $version)" "python3 (>=" "python3 (<<"
    # Unpacked side by side, the module imports and finds the library of the runtime package.
    for deb in libzelko-ptz-camera-isapi1 python3-zelko-ptz-camera-isapi; do
        dpkg-deb -x "$out/${deb}_${version}_amd64.deb" "$out/root"
    done
    loaded=$(cd "$out" && PYTHONPATH="$out/root/$site" "$ZELKO_PYTHON" -c \
        'import zelko_ptz._core as c; print(c.__file__)')
    libraries=$(ldd "$loaded")
    [[ "$libraries" == *"libzelko_ptz_camera_isapi.so.1 => $out/root/${site#./}/zelko_ptz/../../../"* ]] \
        || { echo "the packaged module does not find the packaged library: $libraries"; failed=1; }
fi

# The link in the runtime package is the SONAME the library declares.
soname=$(objdump -p "$build_dir/libzelko_ptz_camera_isapi.so.$version" | awk '$1 == "SONAME" {print $2}')
[ "$soname" = libzelko_ptz_camera_isapi.so.1 ] || { echo "unexpected SONAME: $soname"; failed=1; }
[ $failed -eq 0 ] && echo "the packages hold the expected files and dependencies"
exit $failed
