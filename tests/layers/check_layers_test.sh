#!/bin/sh
# Runs scripts/check-layers on a tiny tree of its own, once clean and then with each kind of
# fault, and checks that it passes the first and names each fault.
set -u
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

fail() { echo "FAILED: $1"; failures=$((failures + 1)); }

mkdir -p "$tree/platform" "$tree/store" "$tree/projects" "$tree/search" "$tree/shell"
printf 'target_sources(quillbox_core PRIVATE\n  Dates.cpp Dates.h\n)\n' > "$tree/platform/CMakeLists.txt"
printf 'target_sources(quillbox_core PRIVATE\n  Store.cpp Store.h\n)\n' > "$tree/store/CMakeLists.txt"
printf 'target_sources(quillbox_core PRIVATE\n  Projects.cpp Projects.h\n)\n' > "$tree/projects/CMakeLists.txt"
printf 'target_sources(quillbox_core PRIVATE\n  Find.cpp Find.h\n)\n' > "$tree/search/CMakeLists.txt"
printf 'target_sources(quillbox_ui PRIVATE\n  MainWindow.cpp MainWindow.h\n)\n' > "$tree/shell/CMakeLists.txt"
: > "$tree/platform/Dates.h"; : > "$tree/shell/MainWindow.h"; : > "$tree/projects/Projects.h"; : > "$tree/search/Find.h"
printf '#include "platform/Dates.h"\n' > "$tree/platform/Dates.cpp"
printf '#include "platform/Dates.h"\n#include "store/Store.h"\n' > "$tree/store/Store.cpp"
printf '#pragma once\n#include "platform/Dates.h"\n' > "$tree/store/Store.h"
printf '#include "projects/Projects.h"\n#include "search/Find.h"\n' > "$tree/projects/Projects.cpp"
printf '#include "search/Find.h"\n' > "$tree/search/Find.cpp"
printf '#include "store/Store.h"\n#include "shell/MainWindow.h"\n' > "$tree/shell/MainWindow.cpp"

out=$(sh "$check" "$tree" 2>&1) || fail "a tree in order was refused: $out"

# An include that runs down to up: the store reaching the main window.
printf '#include "shell/MainWindow.h"\n' >> "$tree/store/Store.cpp"
out=$(sh "$check" "$tree" 2>&1) && fail "an upward include passed"
echo "$out" | grep -q 'store/Store.cpp:3: store includes shell/MainWindow.h, a layer above it' \
  || fail "the upward include was not named: $out"
printf '#include "platform/Dates.h"\n#include "store/Store.h"\n' > "$tree/store/Store.cpp"

# Two folders of one layer including each other.
printf '#include "projects/Projects.h"\n' >> "$tree/search/Find.cpp"
out=$(sh "$check" "$tree" 2>&1) && fail "a cycle between feature folders passed"
echo "$out" | grep -q 'search/Find.cpp:2: search includes projects, which includes search back' \
  || fail "the cycle was not named: $out"
printf '#include "search/Find.h"\n' > "$tree/search/Find.cpp"

# A core file including a widget header of a folder below it is caught by the library rule.
printf 'target_sources(quillbox_ui PRIVATE\n  Dates.cpp Dates.h\n)\n' > "$tree/platform/CMakeLists.txt"
out=$(sh "$check" "$tree" 2>&1) && fail "a core file including a widget header passed"
echo "$out" | grep -q 'store/Store.h:2: a quillbox_core file includes platform/Dates.h, which is in quillbox_ui' \
  || fail "the core file including a widget header was not named: $out"

# And a folder that was never given a layer.
printf 'target_sources(quillbox_core PRIVATE\n  Dates.cpp Dates.h\n)\n' > "$tree/platform/CMakeLists.txt"
mkdir -p "$tree/stray"; printf '#include "platform/Dates.h"\n' > "$tree/stray/Odd.cpp"
out=$(sh "$check" "$tree" 2>&1) && fail "a folder without a layer passed"
echo "$out" | grep -q 'stray/Odd.cpp: folder stray has no layer' || fail "the stray folder was not named: $out"

[ "$failures" -eq 0 ] && echo "check-layers: all cases behave"
exit "$failures"
