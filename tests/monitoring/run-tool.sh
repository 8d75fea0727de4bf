#!/bin/sh
# Runs a monitoring tool (promtool, amtool) with the arguments given, in the
# folder given after it; 77, a skip for ctest, where the tool is not installed.
tool=$1 && shift
command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
cd "$1" && shift && exec "$tool" "$@"
