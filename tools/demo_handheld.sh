#!/usr/bin/env bash
# Creates a demo handheld folder for the simulated rapi.dll: ravo+ 1.1.1.0
# installed, a memory card present and the launcher's entry in the registry.
#   demo_handheld.sh <folder> [version line]   (empty version line: no file)
set -euo pipefail
dir="$1"
version="${2-Version 1.1.1.0}"
rm -rf "$dir"
mkdir -p "$dir/Built-in Storage/Program Files/Svcore" "$dir/Storage Card" "$dir/Windows/AppMgr/Install"
if [ -n "$version" ]; then
  printf 'ravo+ for Q58\r\n%s\r\n' "$version" >"$dir/Built-in Storage/Program Files/Svcore/Svcore.ver"
fi
cat >"$dir/registry.txt" <<'REG'
[HKEY_LOCAL_MACHINE\Ident]
"Name"="Q58-DEMO"

[HKEY_CURRENT_USER\Software\Meridane\ZenLaunch\FileList\ravo+(GPS)]
"Path"="\\Built-in Storage\\Program Files\\Svcore\\ravo.exe"
REG
