#!/usr/bin/env bash
# Fails when a library folder includes from a folder above it. Dependencies point one way:
# common -> frt, dxf -> convert -> export -> the desktop shells (app) and the batch program.
set -euo pipefail
root="$1"
cd "$root"

declare -A allowed=(
  [common]="common"
  [frt]="common frt"
  [dxf]="common dxf"
  [convert]="common frt dxf convert"
  [export]="common frt dxf convert export"
  [app]="common frt dxf convert export app"
  [batch]="common frt dxf convert export batch"
)

status=0
for folder in "${!allowed[@]}"; do
  while IFS= read -r hit; do
    file="${hit%%:*}"
    target=$(sed -E 's/.*#include "([^/"]+)\/.*/\1/' <<<"$hit")
    # app/desktop and app/win32 are the shell's front ends: the logic they share may not use them.
    if [[ "$folder" == app && "$file" != app/*/* && "$hit" =~ \#include\ \"app/[a-z0-9]+/ ]]; then
      echo "$file includes a front end of the shell: $hit"
      status=1
      continue
    fi
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file: $folder/ may not include from $target/: ${hit#*:}"
      status=1
    fi
  done < <(grep -rnE '#include "[^"]+/' "$folder" --include='*.h' --include='*.cpp' | sed -E 's/^([^:]+):[0-9]+:/\1:/')
  # A bare name would hide where a header comes from.
  if grep -rnE '#include "[^/"]+"' "$folder" --include='*.h' --include='*.cpp' | grep -v '\.moc"'; then
    echo "$folder/: includes above do not name their folder"
    status=1
  fi
done
[[ $status -eq 0 ]] && echo "dependencies point one way: common -> frt, dxf -> convert -> export -> app, batch"
exit $status
