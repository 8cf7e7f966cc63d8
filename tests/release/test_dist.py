"""`make dist` end to end: a release signed with a throwaway certificate, its
signature over exactly the programs that were built, the signed 64-bit
program through one revision-up under Wine, and the ways signing can fail.

The demo cabinet stands in for the real package: it starts with "MSCF" like
any cabinet. Run by `make sign-test` (needs the win64 demo build for the
simulated rapi.dll and the UI driver).
"""
import hashlib
import os
import re
import shutil
import struct
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
WORK = ROOT / "build" / "sign-test"
VERSION = re.search(r'#define RAVO_FILE_VERSION_TEXT "([^"]+)"', (ROOT / "resources/version.h").read_text())[1]
PROGRAMS = {"x64": "x86_64", "x86": "i686"}


def run(*command, **kwargs):
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True, **kwargs)


def make_dist(dist, cabinet, p12=None, password_file=None):
    args = [f"DIST={dist}", f"RAVO_CABINET={cabinet}"]
    if p12:
        args.append(f"SIGN_PKCS12={p12}")
    if password_file:
        args.append(f"SIGN_PASSWORD_FILE={password_file}")
    return run("make", "--no-print-directory", "dist", *args)


def authenticode_sha256(path):
    """The Authenticode digest of an unsigned program, as a signer computes
    it: the file padded to 8 bytes, without the checksum field and the
    certificate table's directory entry."""
    data = path.read_bytes()
    data += b"\0" * (-len(data) % 8)
    optional = struct.unpack_from("<I", data, 0x3C)[0] + 24
    wide = struct.unpack_from("<H", data, optional)[0] == 0x20B
    checksum = optional + 64
    security = optional + (112 if wide else 96) + 4 * 8
    return hashlib.sha256(data[:checksum] + data[checksum + 4:security] + data[security + 8:]).hexdigest().upper()


@pytest.fixture(scope="module")
def work():
    shutil.rmtree(WORK, ignore_errors=True)
    WORK.mkdir(parents=True)
    return WORK


@pytest.fixture(scope="module")
def cabinet(work):
    cab = work / "package.cab"
    shutil.copyfile(ROOT / "build/x86_64/resources/demo.cab", cab)
    return cab


@pytest.fixture(scope="module")
def certificate(work):
    """(cert.p12, password file, cert.pem): a self-signed code-signing certificate."""
    password = work / "password"
    password.write_text("correct horse\n")
    key, pem, p12 = work / "key.pem", work / "cert.pem", work / "cert.p12"
    for command in (
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=RavoVup test signer",
         "-addext", "extendedKeyUsage=codeSigning", "-keyout", key, "-out", pem],
        ["openssl", "pkcs12", "-export", "-inkey", key, "-in", pem, "-out", p12, "-passout", f"file:{password}"],
    ):
        subprocess.run(command, check=True, capture_output=True)
    return p12, password, pem


@pytest.fixture(scope="module")
def signed_dist(work, cabinet, certificate):
    p12, password, _ = certificate
    dist = work / "dist"
    result = make_dist(dist, cabinet, p12, password)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    return dist


def test_release_holds_both_signed_programs_and_their_sums(signed_dist, certificate):
    _, _, pem = certificate
    names = {f"RavoVup-{VERSION}-{arch}.exe" for arch in PROGRAMS}
    assert {p.name for p in signed_dist.iterdir()} == names | {"SHA256SUMS"}
    check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=signed_dist, capture_output=True, text=True)
    assert check.returncode == 0, check.stdout + check.stderr
    for arch, build in PROGRAMS.items():
        verify = run("osslsigncode", "verify", "-CAfile", str(pem), "-in", str(signed_dist / f"RavoVup-{VERSION}-{arch}.exe"))
        assert verify.returncode == 0, verify.stdout + verify.stderr
        assert re.search(r"Message digest algorithm\s*:\s*SHA256", verify.stdout)
        signed_digest = re.search(r"Current message digest\s*:\s*([0-9A-F]+)", verify.stdout)[1]
        # The signature covers the very program the release tree built.
        assert signed_digest == authenticode_sha256(ROOT / f"build/release-{build}/app/RavoVup.exe"), arch


def test_signed_x64_program_completes_a_revision_up_under_wine(signed_dist, cabinet, work):
    program = signed_dist / f"RavoVup-{VERSION}-x64.exe"
    handheld = work / "handheld"
    script = """
set -euo pipefail
source tools/wine_env.sh
wine_prefix_prepare "$WINEPREFIX" build/x86_64/sim/rapi.dll
tools/demo_handheld.sh "$RAVO_SIM_DIR"
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" tools/demo_drive.sh build/x86_64 "$SHOTS" "$PROGRAM"
"""
    (work / "shots").mkdir(exist_ok=True)
    env = dict(os.environ, LC_ALL="C.UTF-8", WINEPREFIX=str(work / "prefix"), RAVO_SIM_DIR=str(handheld),
               SHOTS=str(work / "shots"), PROGRAM=str(program))
    result = run("bash", "-c", script, env=env, timeout=600)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    package = cabinet.read_bytes()
    assert (handheld / "Windows/AppMgr/Install/ravo+ for Q58.CAB").read_bytes() == package
    assert (handheld / "Storage Card/Q58ravoInstall.CAB").read_bytes() == package
    assert 'wceload /noaskdest "\\Windows\\AppMgr\\Install\\ravo+ for Q58.CAB"' in \
        (handheld / "processes.log").read_text().splitlines()


def key_less_certificate(work, certificate):
    """A PKCS#12 file that opens with its password but holds no private key:
    it passes the early check and fails only when signing."""
    _, password, pem = certificate
    p12 = work / "no-key.p12"
    subprocess.run(["openssl", "pkcs12", "-export", "-nokeys", "-in", pem, "-out", p12, "-passout", f"file:{password}"],
                   check=True, capture_output=True)
    return p12, password


def wrong_password(work, certificate):
    other = work / "wrong-password"
    other.write_text("not the password\n")
    return certificate[0], other


def missing_certificate(work, certificate):
    return work / "no-such-cert.p12", certificate[1]


def not_a_certificate(work, certificate):
    """The certificate alone, in PEM: the likely mix-up."""
    return certificate[2], certificate[1]


def random_bytes(work, certificate):
    garbage = work / "garbage.p12"
    garbage.write_bytes(os.urandom(2048))
    return garbage, certificate[1]


@pytest.mark.parametrize("case, message", [
    (wrong_password, "wrong password"),
    (missing_certificate, "cannot read the signing certificate"),
    (not_a_certificate, "is not a PKCS#12 certificate file"),
    (random_bytes, "is not a PKCS#12 certificate file"),
    (key_less_certificate, "signing RavoVup-"),
], ids=["wrong-password", "missing-certificate", "pem-not-pkcs12", "random-bytes", "no-private-key"])
def test_failed_signing_stops_and_leaves_no_program(work, cabinet, certificate, case, message):
    p12, password = case(work, certificate)
    dist = work / f"failed-{case.__name__}"
    # A release from an earlier run must not survive to pass for this one's.
    dist.mkdir(exist_ok=True)
    (dist / f"RavoVup-{VERSION}-x64.exe").write_bytes(b"MZ earlier")
    result = make_dist(dist, cabinet, p12, password)
    assert result.returncode != 0
    assert "make dist: " in result.stderr and message in result.stderr, result.stderr[-3000:]
    assert not dist.exists() or not list(dist.glob("*.exe"))
    assert not list((ROOT / "build").glob("dist-staging.*"))


def test_unsigned_release_says_so_in_one_line(work, cabinet):
    dist = work / "no-certificate"
    result = make_dist(dist, cabinet)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    lines = (result.stdout + result.stderr).replace(str(dist), "<dist>").splitlines()
    said = [line for line in lines if "sign" in line.lower()]
    assert said == ["make dist: no SIGN_PKCS12 given: the programs will not be signed"]
    for arch in PROGRAMS:
        verify = run("osslsigncode", "verify", "-in", str(dist / f"RavoVup-{VERSION}-{arch}.exe"))
        assert verify.returncode != 0
