#!/bin/sh
# A host program built with a plain compiler line; pkg-config supplies the flags.
set -e
cd "$(dirname "$0")"
${CXX:-c++} -std=c++17 -Wall -o "${1:-read_position}" ../read_position.cpp \
    $(pkg-config --cflags --libs zelko_ptz_camera_isapi)
