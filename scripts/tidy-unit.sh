#!/usr/bin/env bash
# clang-tidy for run-clang-tidy, which names each translation unit last: the unit is noted in
# $TIDY_UNITS first, so that the count of what was checked is the tool's own list.
set -euo pipefail
unit=${!#}
if [[ -n ${TIDY_UNITS:-} && -f $unit ]]; then
  echo "$unit" >> "$TIDY_UNITS"
fi
exec clang-tidy "$@"
