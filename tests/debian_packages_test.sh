#!/usr/bin/env bash
# Builds the Debian packages with CPack and checks their contents and dependencies.
set -euo pipefail
build_dir=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build_dir" && cpack -G DEB -B "$out" >/dev/null)

failed=0
files() { dpkg-deb -c "$out/$1"_1.0.0_amd64.deb | awk '$1 !~ /^d/ {print $6}' | sort | tr '\n' ' '; }
depends() { dpkg-deb -f "$out/$1"_1.0.0_amd64.deb Depends; }
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

expect_files libzelko-ptz-camera-isapi1 \
    "./usr/lib/libzelko_ptz_camera_isapi.so.1 ./usr/lib/libzelko_ptz_camera_isapi.so.1.0.0 "
cmake_dir=./usr/lib/cmake/ZelkoPtzCameraIsapi
expect_files libzelko-ptz-camera-isapi-dev \
    "./usr/include/zelko_ptz_camera_isapi/ptz/ptz_types.h ./usr/include/zelko_ptz_camera_isapi/ptz/zelko_ptz_camera_isapi.h ./usr/include/zelko_ptz_camera_isapi/utils/export.h ./usr/include/zelko_ptz_camera_isapi/utils/http_client.h ./usr/include/zelko_ptz_camera_isapi/utils/xml_parser.h $cmake_dir/ZelkoPtzCameraIsapiConfig.cmake $cmake_dir/ZelkoPtzCameraIsapiConfigVersion.cmake $cmake_dir/ZelkoPtzCameraIsapiTargets-CONFIG.cmake $cmake_dir/ZelkoPtzCameraIsapiTargets.cmake ./usr/lib/libzelko_ptz_camera_isapi.so ./usr/lib/pkgconfig/zelko_ptz_camera_isapi.pc "
expect_files zelko-ptz-camera-isapi-tools "./usr/bin/ptz-camera-sim ./usr/bin/ptzctl "

pkg=libzelko-ptz-camera-isapi1
expect_depends $pkg "libcurl4 (>=" "libpugixml1v5 (>=" "libstdc++6 (>=" "libc6 (>="
pkg=libzelko-ptz-camera-isapi-dev
expect_depends $pkg "libzelko-ptz-camera-isapi1 (= 1.0.0)" libcurl4-openssl-dev libpugixml-dev
pkg=zelko-ptz-camera-isapi-tools
expect_depends $pkg "libzelko-ptz-camera-isapi1 (= 1.0.0)" "libmicrohttpd12 (>=" "libssl3 (>="

# The link in the runtime package is the SONAME the library declares.
soname=$(objdump -p "$build_dir/libzelko_ptz_camera_isapi.so.1.0.0" | awk '$1 == "SONAME" {print $2}')
[ "$soname" = libzelko_ptz_camera_isapi.so.1 ] || { echo "unexpected SONAME: $soname"; failed=1; }
[ $failed -eq 0 ] && echo "three packages with the expected files and dependencies"
exit $failed
