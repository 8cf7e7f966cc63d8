"""`make dist` end to end: a release signed with a throwaway certificate and
time-stamped by an authority the test runs itself on 127.0.0.1, its
signature over exactly the programs that were built, the signed 64-bit
program through one revision-up under Wine, and the ways signing and time
stamping can fail.

The demo cabinet stands in for the real package: it starts with "MSCF" like
any cabinet. Run by `make sign-test` (needs the win64 demo build for the
simulated rapi.dll and the UI driver).
"""
import hashlib
import os
import re
import select
import shutil
import socket
import struct
import subprocess
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
WORK = ROOT / "build" / "sign-test"
VERSION = re.search(r'#define RAVO_FILE_VERSION_TEXT "([^"]+)"', (ROOT / "resources/include/resources/version.h").read_text())[1]
PROGRAMS = {"x64": "x86_64", "x86": "i686"}


def run(*command, **kwargs):
    return subprocess.run(command, cwd=ROOT, capture_output=True, text=True, **kwargs)


def make_dist(dist, cabinet, p12=None, password_file=None, timestamp_url=None):
    args = [f"DIST={dist}", f"RAVO_CABINET={cabinet}"]
    if p12:
        args.append(f"SIGN_PKCS12={p12}")
    if password_file:
        args.append(f"SIGN_PASSWORD_FILE={password_file}")
    if timestamp_url:
        args.append(f"SIGN_TIMESTAMP_URL={timestamp_url}")
    # The authority is on this machine: no proxy of the environment stands between.
    local = ",".join(filter(None, [os.environ.get("no_proxy"), "127.0.0.1"]))
    env = dict(os.environ, no_proxy=local, NO_PROXY=local)
    # Bounded: a time-stamp request that hangs must fail the test, not stall
    # it. timeout(1) stops the whole process group, osslsigncode included.
    return run("timeout", "-k", "30", "1800", "make", "--no-print-directory", "dist", *args, env=env)


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
def authority(work):
    """(url, ca.pem): an RFC 3161 time-stamp authority on 127.0.0.1,
    `openssl ts -reply` behind tsa_server.py, with a throwaway certificate
    for time stamping issued by a throwaway CA. Stopped, and its port
    closed, when the module's tests are done, whatever they did."""
    folder = work / "tsa"
    folder.mkdir()
    ca_key, ca, key, request, pem = (folder / name for name in ("ca.key", "ca.pem", "tsa.key", "tsa.csr", "tsa.pem"))
    extensions = folder / "tsa.ext"
    extensions.write_text("extendedKeyUsage=critical,timeStamping\nkeyUsage=critical,digitalSignature\n")
    (folder / "serial").write_text("01\n")
    (folder / "ts.cnf").write_text(f"""[tsa]
default_tsa = test_tsa
[test_tsa]
serial = {folder / "serial"}
crypto_device = builtin
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
""")
    for command in (
        ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=RavoVup test CA",
         "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign",
         "-keyout", ca_key, "-out", ca],
        ["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=RavoVup test TSA", "-keyout", key, "-out", request],
        ["openssl", "x509", "-req", "-in", request, "-CA", ca, "-CAkey", ca_key, "-days", "2", "-extfile", extensions,
         "-out", pem],
    ):
        subprocess.run(command, check=True, capture_output=True)

    log = (work / "tsa.log").open("w")
    server = subprocess.Popen([sys.executable, ROOT / "tests/release/tsa_server.py", folder, "3600"],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=log, text=True)
    port = None
    try:
        if select.select([server.stdout], [], [], 30)[0]:
            port = re.fullmatch(r"port (\d+)\n", server.stdout.readline())
        assert port, f"the time-stamp authority did not start (see {work / 'tsa.log'})"
        yield f"http://127.0.0.1:{port[1]}/", ca
    finally:
        server.terminate()
        try:
            server.wait(timeout=15)
        except subprocess.TimeoutExpired:
            server.kill()
            server.wait(timeout=15)
        log.close()
        if port:
            with pytest.raises(ConnectionRefusedError), socket.create_connection(("127.0.0.1", int(port[1])), timeout=5):
                pass


@pytest.fixture(scope="module")
def signed_dist(work, cabinet, certificate, authority):
    p12, password, _ = certificate
    dist = work / "dist"
    result = make_dist(dist, cabinet, p12, password, authority[0])
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    assert f"time-stamped by {authority[0]}," in result.stdout
    return dist


def test_release_holds_both_signed_time_stamped_programs_and_their_sums(signed_dist, certificate, authority):
    _, _, pem = certificate
    names = {f"RavoVup-{VERSION}-{arch}.exe" for arch in PROGRAMS}
    assert {p.name for p in signed_dist.iterdir()} == names | {"SHA256SUMS"}
    check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=signed_dist, capture_output=True, text=True)
    assert check.returncode == 0, check.stdout + check.stderr
    for arch, build in PROGRAMS.items():
        verify = run("osslsigncode", "verify", "-CAfile", str(pem), "-TSA-CAfile", str(authority[1]),
                     "-in", str(signed_dist / f"RavoVup-{VERSION}-{arch}.exe"))
        assert verify.returncode == 0, verify.stdout + verify.stderr
        assert re.search(r"Message digest algorithm\s*:\s*SHA256", verify.stdout)
        signed_digest = re.search(r"Current message digest\s*:\s*([0-9A-F]+)", verify.stdout)[1]
        # The signature covers the very program the release tree built.
        assert signed_digest == authenticode_sha256(ROOT / f"build/release-{build}/app/RavoVup.exe"), arch
        # The time stamp is our authority's, and its signature checks out up to the authority's CA.
        # osslsigncode 2.5 (Debian 12) and 2.9 (its backports) word it differently.
        assert re.search(r"Countersignatures:\n\s*Timestamp time: |The signature is timestamped: ",
                         verify.stdout), verify.stdout
        assert re.search(r"Timestamp verified using:(\n.*)*?\n\s*Subject: /CN=RavoVup test TSA\n"
                         r"|Timestamp Verified by:\n\s*Issuer : /CN=RavoVup test CA\n", verify.stdout), verify.stdout
        assert "Timestamp Server Signature verification: ok" in verify.stdout, verify.stdout + verify.stderr


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


def authority_down(work, authority):
    """A port on 127.0.0.1 that is held but not listening: the connection is refused."""
    held = socket.socket()
    held.bind(("127.0.0.1", 0))
    return held, f"http://127.0.0.1:{held.getsockname()[1]}/"


def authority_answers_garbage(work, authority):
    return None, authority[0] + "garbage"


def authority_fails_after_the_first_answer(work, authority):
    """Passes the check before the build, fails at signing."""
    return None, authority[0] + "then-garbage"


@pytest.mark.parametrize("case, message", [
    (authority_down, "cannot reach the time-stamp authority"),
    (authority_answers_garbage, "answers with something that is not an RFC 3161 time-stamp reply"),
    (authority_fails_after_the_first_answer, "and a time stamp from"),
], ids=["down", "garbage", "fails-at-signing"])
def test_failed_time_stamp_stops_and_leaves_no_dist(work, cabinet, certificate, authority, case, message):
    p12, password, _ = certificate
    held, url = case(work, authority)
    dist = work / f"failed-{case.__name__}"
    dist.mkdir(exist_ok=True)
    (dist / f"RavoVup-{VERSION}-x64.exe").write_bytes(b"MZ earlier")
    try:
        result = make_dist(dist, cabinet, p12, password, url)
    finally:
        if held:
            held.close()
    assert result.returncode != 0
    assert "make dist: " in result.stderr and message in result.stderr, result.stderr[-3000:]
    assert not dist.exists()
    assert not list((ROOT / "build").glob("dist-staging.*"))


def unsigned(certificate):
    return None, None


def signed_without_time_stamp(certificate):
    return certificate[:2]


@pytest.mark.parametrize("case, topic, line", [
    (unsigned, "sign", "make dist: no SIGN_PKCS12 given: the programs will not be signed"),
    (signed_without_time_stamp, "stamp",
     "make dist: signed without a time stamp: the signature ends with the certificate"),
], ids=["unsigned", "no-time-stamp"])
def test_release_says_in_one_line_what_it_lacks(work, cabinet, certificate, case, topic, line):
    p12, password = case(certificate)
    dist = work / f"lacking-{case.__name__}"
    result = make_dist(dist, cabinet, p12, password)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    # Paths out of the way: a checkout's folder may well be called "timestamp".
    lines = (result.stdout + result.stderr).replace(str(dist), "<dist>").replace(str(ROOT), "<root>").splitlines()
    assert [said for said in lines if topic in said.lower()] == [line]
    for arch in PROGRAMS:
        verify = run("osslsigncode", "verify", "-CAfile", str(certificate[2]),
                     "-in", str(dist / f"RavoVup-{VERSION}-{arch}.exe"))
        assert (verify.returncode == 0) == bool(p12), verify.stdout + verify.stderr
        assert "Timestamp time:" not in verify.stdout and "The signature is timestamped" not in verify.stdout
