#!/usr/bin/env bash
# Installs the Debian packages that are missing, makes sure a comma-decimal locale exists for
# the locale tests, then configures and builds into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

# Build and test tools; ezdxf, GDAL and dime read our drawings back in the tests; xfsprogs makes
# the file system that the power-cut test cuts, exFAT's tools the disk that ignores case; clang
# and its runtime build the fuzzers.
packages=(cmake ninja-build g++ libgtest-dev locales qt6-base-dev python3-ezdxf gdal-bin librecad poppler-utils
          xvfb xauth xdotool imagemagick clang libclang-rt-14-dev acl clang-tidy clang-format librsvg2-bin
          dime xfsprogs exfatprogs exfat-fuse python3-jsonschema qt6-translations-l10n)
bash scripts/install-packages.sh "${packages[@]}"

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  as_root localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 || echo "warning: could not generate de_DE.UTF-8"
fi

cmake --preset dev
cmake --build build --parallel "$(nproc)"
