#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing (as root, or through sudo).
#   install-packages.sh PACKAGE...
set -euo pipefail
source "$(dirname "$0")/lib.sh"
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
