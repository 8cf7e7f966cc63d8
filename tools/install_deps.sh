#!/usr/bin/env bash
# `make deps`, the one set-up step behind `make test`, `make run`, `make dist`
# and `make bench`: installs from Debian whatever of the list below is
# missing, and does nothing when all of it is there. Runs apt as root, or
# through sudo otherwise.
#
# A mirror that is briefly out of step (one bad index during `apt-get update`)
# does not stop it: the install then shows whether anything needed is truly
# unavailable. The 32-bit Wine loader is optional: without it the Wine tests
# skip their 32-bit runs.
set -uo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive

required=(
  # native build, tests, sanitizers, fuzzer
  cmake make g++ libgtest-dev libgmock-dev clang libclang-rt-14-dev
  # Windows program: cross compilers and the demo package
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 gcab
  # running it under Wine, with screenshots
  wine wine64 xvfb xauth fonts-ipafont-gothic fonts-wine imagemagick
  # checks, release signing, benchmark plot
  python3 python3-pytest python3-pefile osslsigncode openssl gnuplot-nox
)
optional=(wine32:i386)
# When the optional part could not be installed, try again a day later
# rather than on every command.
optional_stamp=build/.deps/optional-unavailable

installed() { [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]; }
warn() { echo "install_deps: warning: $*" >&2; }

missing=()
for p in "${required[@]}"; do installed "$p" || missing+=("$p"); done
missing_optional=()
for p in "${optional[@]}"; do installed "$p" || missing_optional+=("$p"); done
if ((${#missing_optional[@]})) && [ -n "$(find "$optional_stamp" -mmin -1440 2>/dev/null)" ]; then
  missing_optional=()
fi
((${#missing[@]} + ${#missing_optional[@]})) || exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install_deps: these packages are missing; install them as root: ${missing[*]} ${missing_optional[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi
# Another apt run on the machine holds the lock for a while; wait for it.
apt=("${sudo[@]}" apt-get -q -o DPkg::Lock::Timeout=600 -o Dpkg::Use-Pty=0)

echo "install_deps: installing ${missing[*]} ${missing_optional[*]}"
if ((${#missing_optional[@]})) && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386 || warn "could not add the i386 architecture"
fi
if ! "${apt[@]}" update -qq; then
  warn "apt-get update failed for some indexes (above); installing from the indexes there are"
fi

if ((${#missing[@]})); then
  if ! "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"; then
    echo "install_deps: could not install: ${missing[*]}" >&2
    exit 1
  fi
fi

if ((${#missing_optional[@]})); then
  if "${apt[@]}" install -y -qq --no-install-recommends "${missing_optional[@]}"; then
    rm -f "$optional_stamp"
  else
    warn "could not install ${missing_optional[*]}; 32-bit programs will not run under Wine" \
      "and the Wine tests skip them (next try in a day, or after rm $optional_stamp)"
    mkdir -p "$(dirname "$optional_stamp")" && touch "$optional_stamp"
  fi
fi
exit 0
