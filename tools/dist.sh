#!/usr/bin/env bash
# `make dist`: the release. Builds both programs with the real package into
# their own build trees, signs them when a certificate is given, and
# publishes exactly RavoVup-<version>-x86.exe, RavoVup-<version>-x64.exe and
# SHA256SUMS into <dist dir>.
#   RAVO_CABINET=<real.cab> [SIGN_PKCS12=<cert.p12> [SIGN_PASSWORD_FILE=<file>]
#     [SIGN_TIMESTAMP_URL=<RFC 3161 authority>]] dist.sh <dist dir>
# Everything is assembled in a staging folder first: a run that fails leaves
# no <dist dir> at all, so no unsigned or half-made release can be mistaken
# for a good one.
set -euo pipefail
dist=$(realpath -m -- "$1")
cabinet=${RAVO_CABINET:-}
[ -z "$cabinet" ] || cabinet=$(realpath -m -- "$cabinet")
p12=${SIGN_PKCS12:-}
[ -z "$p12" ] || p12=$(realpath -m -- "$p12")
password_file=${SIGN_PASSWORD_FILE:-}
[ -z "$password_file" ] || password_file=$(realpath -m -- "$password_file")
timestamp_url=${SIGN_TIMESTAMP_URL:-}
cd "$(dirname "$0")/.."
python=${PYTHON:-/usr/bin/python3}
stage=

die() {  # die <line> [<line>...]
  echo "make dist: $1" >&2
  shift
  [ $# = 0 ] || printf '  %s\n' "$@" >&2
  exit 2
}
trap '[ -z "$stage" ] || rm -rf "$stage"' EXIT

rm -rf "$dist"

# The inputs first: nothing is installed or built for a run that cannot end well.
if [ -z "$cabinet" ]; then
  die "no installer package given: a release embeds the real ravo+ package." \
    "Give it as: make dist RAVO_CABINET=/path/to/Q58ravoInstall.cab" \
    "(make demo builds the programs with the demo package instead)"
fi
[ -f "$cabinet" ] || die "Installer package not found: $cabinet"
[ "$(head -c 4 "$cabinet")" = MSCF ] ||
  die "Installer package is not a cabinet (it must start with \"MSCF\"): $cabinet"

if [ -n "$p12" ]; then
  [ -f "$p12" ] && [ -r "$p12" ] || die "cannot read the signing certificate SIGN_PKCS12=$p12"
  if [ -n "$password_file" ]; then
    [ -f "$password_file" ] && [ -r "$password_file" ] ||
      die "cannot read the certificate's password file SIGN_PASSWORD_FILE=$password_file"
    passin=(-passin "file:$password_file")
    pass=(-readpass "$password_file")
  else
    passin=(-passin pass:)
    pass=(-pass "")
  fi
  command -v openssl >/dev/null && command -v osslsigncode >/dev/null || tools/install_deps.sh
  # PKCS#12 is a DER sequence that opens with version 3.
  openssl asn1parse -inform DER -in "$p12" 2>/dev/null | sed -n 2p | grep -q 'prim: INTEGER *:03$' ||
    die "SIGN_PKCS12=$p12 is not a PKCS#12 certificate file (.p12 or .pfx)"
  if [ -n "$password_file" ]; then
    wrong="with the password in SIGN_PASSWORD_FILE=$password_file: wrong password?"
  else
    wrong="without a password: give its password in SIGN_PASSWORD_FILE=/path/to/file"
  fi
  # Older .pfx files use ciphers that OpenSSL 3 keeps in its legacy provider.
  openssl pkcs12 -in "$p12" "${passin[@]}" -noout 2>/dev/null ||
    openssl pkcs12 -legacy -in "$p12" "${passin[@]}" -noout 2>/dev/null ||
    die "cannot open the signing certificate SIGN_PKCS12=$p12 $wrong"
  signing=", signed with $p12,"
  if [ -n "$timestamp_url" ]; then
    [[ "$timestamp_url" =~ ^https?://[^/]+ ]] ||
      die "SIGN_TIMESTAMP_URL=$timestamp_url is not an http:// or https:// address of a time-stamp authority"
    # Asked once now, so that an authority that is down fails the release before the build.
    problem=$("$python" tools/check_timestamp_authority.py "$timestamp_url") ||
      die "${problem:-cannot check the time-stamp authority SIGN_TIMESTAMP_URL=$timestamp_url}" \
        "No release is made: correct SIGN_TIMESTAMP_URL, or leave it out to sign without a time stamp."
    timestamp=(-ts "$timestamp_url")
    signing="$signing time-stamped by $timestamp_url,"
  else
    # Windows trusts an unstamped signature only while the certificate is valid.
    echo "make dist: signed without a time stamp: the signature ends with the certificate"
    timestamp=()
  fi
elif [ -n "$password_file" ]; then
  die "SIGN_PASSWORD_FILE is given without a certificate: add SIGN_PKCS12=/path/to/cert.p12"
elif [ -n "$timestamp_url" ]; then
  die "SIGN_TIMESTAMP_URL is given without a certificate: add SIGN_PKCS12=/path/to/cert.p12"
else
  echo "make dist: no SIGN_PKCS12 given: the programs will not be signed"
  signing=""
fi

tools/install_deps.sh
export RAVO_CABINET=$cabinet
for preset in release-win64 release-win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"${JOBS:-2}" -- --no-print-directory
done

mkdir -p build
stage=$(mktemp -d "$PWD/build/dist-staging.XXXXXX")
version=
for arch in x86_64:x64 i686:x86; do
  exe=build/release-${arch%%:*}/app/RavoVup.exe
  # What a technician's copy must hold, the given package byte for byte among it.
  "$python" tools/check_exe.py "$exe" --check "$cabinet" --kind release >/dev/null ||
    die "$exe fails its checks: $("$python" tools/check_exe.py "$exe" --check "$cabinet" --kind release | grep FAIL)"
  # The name's version is the one in the program's own version resource.
  info=$("$python" tools/version_resource.py "$exe") || die "cannot read the version resource of $exe"
  read -r file_version demo <<<"$info"
  [ "$demo" = release ] || die "$exe says it carries the demo package; not publishing it"
  [ -z "$version" ] || [ "$version" = "$file_version" ] || die "the programs' versions differ: $version, $file_version"
  version=$file_version
  cp "$exe" "$stage/RavoVup-$version-${arch##*:}.exe"
done

if [ -n "$p12" ]; then
  for exe in "$stage"/*.exe; do
    # A temporary file, so a failed signature never stands in for the program.
    # An authority that accepts the connection and never answers would hold
    # osslsigncode for minutes at least; timeout bounds it.
    timeout 300 osslsigncode sign -pkcs12 "$p12" "${pass[@]}" -h sha256 "${timestamp[@]}" \
      -in "$exe" -out "$exe.signed" >/dev/null ||
      die "signing $(basename "$exe") with SIGN_PKCS12=$p12${timestamp_url:+ and a time stamp from $timestamp_url} failed (above)"
    mv "$exe.signed" "$exe"
  done
fi
chmod 644 "$stage"/*.exe
(cd "$stage" && sha256sum RavoVup-*.exe >SHA256SUMS)

mkdir -p "$(dirname "$dist")"
mv "$stage" "$dist"
stage=
chmod 755 "$dist"
echo "make dist: release $version$signing in $dist:"
(cd "$dist" && cat SHA256SUMS)
