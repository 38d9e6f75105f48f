#!/usr/bin/env bash
# Builds a C program, a C++ program and a CMake project against the installed
# library, as its users would, and checks that each converts as the program
# does: with pkg-config (the shared library with gcc and g++, the static one
# with clang), and with find_package.
#   tests/library_clients.sh PREFIX PROGRAM WORK_DIR
# PREFIX is where "cmake --install" put the library; PROGRAM the colorune
# program to compare with.
set -euo pipefail

prefix=$(realpath "$1")
program=$(realpath "$2")
work=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig

strict=(-Wall -Wextra -pedantic -Werror)
# shellcheck disable=SC2046
gcc -std=c89 "${strict[@]}" "$here/clients/client.c" $(pkg-config --cflags --libs colorune) \
  -Wl,-rpath,"$prefix/lib" -o "$work/c-shared"
# The static one with clang: the archive holds ordinary objects, not one
# compiler's link-time bytecode.
# shellcheck disable=SC2046
clang -std=c89 "${strict[@]}" -static "$here/clients/client.c" $(pkg-config --static --cflags --libs colorune) \
  -o "$work/c-static"
# shellcheck disable=SC2046
g++ -std=c++98 "${strict[@]}" "$here/clients/client.cpp" $(pkg-config --cflags --libs colorune) \
  -Wl,-rpath,"$prefix/lib" -o "$work/cpp-shared"
cmake -S "$here/clients/cmake" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_BUILD_RPATH="$prefix/lib" > "$work/cmake.log"
cmake --build "$work/cmake" >> "$work/cmake.log"
cp "$work/cmake/client" "$work/c-cmake"

# Each is what it should be: the static client needs no libcolorune.so, the
# others do.
for client in c-shared cpp-shared c-cmake; do
  libraries=$(ldd "$work/$client")
  grep -q 'libcolorune.so.1 => '"$prefix" <<< "$libraries" || { echo "FAILED: $client does not use the installed libcolorune.so.1"; exit 1; }
done
libraries=$(ldd "$work/c-static" 2>&1 || true)
! grep -q libcolorune <<< "$libraries" || { echo "FAILED: c-static uses the shared library"; exit 1; }

# Options as the API's bits and as the program's arguments.
option_sets=("0 4:" "1 4:-l" "3 8:-l -p -t8" "12 4:-u -m" "17 2:-s -l -t2" "31 99:-l -p -u -m -s -t99")
inputs=("$here"/golden/*.c "$here"/golden/*.cpp "$here/../samples/hello.cpp")
checks=0
for client in c-shared c-static cpp-shared c-cmake; do
  for input in "${inputs[@]}"; do
    for set in "${option_sets[@]}"; do
      read -r bits width <<< "${set%%:*}"
      # shellcheck disable=SC2086
      "$program" "$input" ${set#*:} > "$work/expected"
      "$work/$client" "$input" "$work/got" "$bits" "$width"
      cmp -s "$work/expected" "$work/got" || { echo "FAILED: $client $(basename "$input") [${set#*:}]"; exit 1; }
      checks=$((checks + 1))
    done
  done
done
echo "ok: $checks conversions by a C, a C++ and a CMake client of the installed library equal the program's"
