#!/usr/bin/env python3
"""Asks an RFC 3161 time-stamp authority for one time stamp, before a release
is built, so that an authority that is down or broken stops `make dist` at
once instead of after the build.

    check_timestamp_authority.py <url>

Exits 0 when the authority granted a time stamp over this request (the same
digest and nonce) and signed it with a certificate for time stamping.
Otherwise prints one line saying what is wrong and exits 1. Whether Windows
trusts the authority's certificate is not judged here: that is the choice of
the authority, not something a release can fix.

Needs `openssl`. Proxies come from http_proxy/no_proxy, as for osslsigncode.
"""
import os
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request
from pathlib import Path

TIMEOUT = 30  # seconds per connection attempt and read
MAX_REPLY = 1024 * 1024


def openssl(*args):
    return subprocess.run(["openssl", *map(str, args)], capture_output=True, text=True, timeout=60)


def check(url, scratch):
    data, query, reply = scratch / "data", scratch / "query.tsq", scratch / "reply.tsr"
    data.write_bytes(os.urandom(32))
    # -cert asks for the authority's certificate in the reply; the nonce is on by default.
    made = openssl("ts", "-query", "-data", data, "-sha256", "-cert", "-out", query)
    if made.returncode:
        return f"cannot make a time-stamp request with openssl: {made.stderr.strip()}"
    request = urllib.request.Request(url, data=query.read_bytes(),
                                     headers={"Content-Type": "application/timestamp-query"})
    try:
        with urllib.request.urlopen(request, timeout=TIMEOUT) as answer:
            reply.write_bytes(answer.read(MAX_REPLY))
    except urllib.error.HTTPError as error:
        return f"the time-stamp authority {url} answers HTTP {error.code} {error.reason}"
    except (urllib.error.URLError, OSError) as error:
        reason = getattr(error, "reason", error)
        return f"cannot reach the time-stamp authority {url}: {reason}"

    shown = openssl("ts", "-reply", "-in", reply, "-text")
    if shown.returncode:
        return f"the time-stamp authority {url} answers with something that is not an RFC 3161 time-stamp reply"
    status = next((line for line in shown.stdout.splitlines() if line.startswith("Status:")), "Status: none")
    if status.strip() != "Status: Granted.":
        return f"the time-stamp authority {url} refuses the time stamp ({status.strip()})"
    # The reply's own certificates as the anchor: this checks that the token
    # answers this very request and is signed for time stamping, not whom to trust.
    token, certs = scratch / "token.der", scratch / "certs.pem"
    verified = (openssl("ts", "-reply", "-in", reply, "-token_out", "-out", token).returncode == 0
                and openssl("pkcs7", "-inform", "DER", "-in", token, "-print_certs", "-out", certs).returncode == 0
                and openssl("ts", "-verify", "-queryfile", query, "-in", reply,
                            "-CAfile", certs, "-partial_chain").returncode == 0)
    if not verified:
        return (f"the time-stamp authority {url} answers with a time stamp that does not match "
                "the request or is not signed by a time-stamping certificate")
    return None


def main():
    url = sys.argv[1]
    with tempfile.TemporaryDirectory() as scratch:
        try:
            problem = check(url, Path(scratch))
        except subprocess.TimeoutExpired:
            problem = "openssl did not finish checking the time-stamp reply"
    if problem:
        print(problem)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
