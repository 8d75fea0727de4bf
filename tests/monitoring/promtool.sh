#!/bin/sh
# Runs promtool with the arguments given, in the folder given first; 77, a
# skip for ctest, where promtool is not installed.
command -v promtool >/dev/null 2>&1 || { echo "promtool is not installed"; exit 77; }
cd "$1" && shift && exec promtool "$@"
