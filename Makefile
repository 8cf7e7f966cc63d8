# Front door. `make test` builds and runs every test; `make run` starts the
# program against a demo handheld. Both install what the machine lacks first
# (`make deps`). Build settings live in CMakePresets.json; docs/building.md
# describes the release, demo, signing and reproducibility steps.
JOBS ?= 2
# Debian's interpreter: the checks import Debian's Python modules.
PYTHON = $(firstword $(wildcard /usr/bin/python3) python3)
export PYTHON

.PHONY: test native-test asan-test tsan-test fuzz-test fuzz-build fuzz stress bench clean windows win64 win32 \
        deps run demo dist wine-test repro-test sign-test

test: native-test asan-test tsan-test fuzz-test wine-test repro-test sign-test

deps:
	tools/install_deps.sh

# preset_build <preset>[,<targets>]: configure and build one preset.
define preset_build
	cmake --preset $(1) >/dev/null
	cmake --build --preset $(1) -j$(JOBS) $(if $(2),--target $(2)) -- --no-print-directory
endef

native-test: deps
	$(call preset_build,native)
	ctest --preset native -j$(JOBS)

asan-test: deps
	$(call preset_build,asan)
	ctest --preset asan -j$(JOBS)

# Only the tests that run threads are built and run under ThreadSanitizer.
tsan-test: deps
	$(call preset_build,tsan)
	ctest --preset tsan -j$(JOBS)

# The version-file fuzzer (clang's libFuzzer with AddressSanitizer):
# a bounded run in `make test`, an open-ended one in `make fuzz`.
FUZZ := build/fuzz
fuzz-build: deps
	$(call preset_build,fuzz)

fuzz-test: fuzz-build
	ctest --preset fuzz

fuzz: fuzz-build
	mkdir -p $(FUZZ)/corpus
	$(FUZZ)/tests/version_fuzz -max_len=600 -max_total_time=$${FUZZ_SECONDS:-600} $(FUZZ)/corpus

# Ten thousand cancelled attempts on real threads under ThreadSanitizer.
stress: deps
	$(call preset_build,tsan,cancel_storm_test)
	RAVO_STORM_ATTEMPTS=10000 build/tsan/tests/cancel_storm_test

# bench/README.md explains every figure.
bench: deps
	$(call preset_build,bench)
	build/bench/bench/ravo_bench $(CURDIR)/docs/progress-plot.png
	-$(MAKE) --no-print-directory win64 >/dev/null 2>&1
	bench/wine_startup.sh $(WIN64)
	timeout -s INT -k 30 600 $(PYTHON) bench/exe_figures.py $(WIN64)

# The Windows program, cross-built: one static RavoVup.exe per architecture.
# These trees hold the demo programs (with the demo package), the simulated
# rapi.dll and the UI driver; `make run` and the Wine tests use them.
WIN64 := build/x86_64
WIN32 := build/i686

win64: deps
	$(call preset_build,win64)

win32: deps
	$(call preset_build,win32)

windows: win64 win32

run: deps windows
	tools/run.sh

# The demo programs, for trying the program without a handheld.
demo: windows
	rm -rf demo
	for arch in x86_64 i686; do \
	  mkdir -p demo/$$arch/sim && \
	  cp build/$$arch/app/RavoVup.exe demo/$$arch/ && \
	  cp build/$$arch/sim/rapi.dll demo/$$arch/sim/ || exit 1; \
	done
	@ls -l demo/*/RavoVup.exe demo/*/sim/rapi.dll

# The release: make dist RAVO_CABINET=/path/real.cab
#   [SIGN_PKCS12=/path/cert.p12 SIGN_PASSWORD_FILE=/path/password
#    SIGN_TIMESTAMP_URL=http://time-stamp-authority/]
# The script checks its inputs before it builds or installs anything.
RAVO_CABINET ?=
SIGN_PKCS12 ?=
SIGN_PASSWORD_FILE ?=
SIGN_TIMESTAMP_URL ?=
DIST ?= dist
dist:
	@RAVO_CABINET="$(RAVO_CABINET)" SIGN_PKCS12="$(SIGN_PKCS12)" SIGN_PASSWORD_FILE="$(SIGN_PASSWORD_FILE)" \
	  SIGN_TIMESTAMP_URL="$(SIGN_TIMESTAMP_URL)" JOBS=$(JOBS) tools/dist.sh "$(DIST)"

# The Wine suite (tests/wine, pytest): both architectures at once, each with
# its own Xvfb and prefix. build/wine-test/<arch>/ gets the transcript, the
# screenshots of failures and junit.xml. WINE_TEST_ARGS adds pytest options,
# e.g. WINE_TEST_ARGS="-k storm".
PYTEST ?= pytest-3
wine_test = timeout -s INT -k 30 540 $(PYTEST) tests/wine -v --arch $(1) --build-dir build/$(1) \
  --junitxml=build/wine-test/$(1)/junit.xml $(WINE_TEST_ARGS)
wine-test: windows
	ctest --preset win64
	ctest --preset win32
	$(call wine_test,i686) >build/wine-test-i686.log 2>&1 & i686=$$!; \
	$(call wine_test,x86_64); x86_64=$$?; \
	wait $$i686; i686=$$?; cat build/wine-test-i686.log; \
	test $$x86_64 = 0 -a $$i686 = 0

# Builds the 64-bit program a second time, from a copy of the sources in
# another folder, and fails on any byte that differs from the first build.
repro-test: win64
	tools/check_reproducible.sh $(WIN64)

# Signs a release with a throwaway certificate and runs it under Wine.
sign-test: win64
	$(PYTHON) -m pytest -q -p no:cacheprovider tests/release

clean:
	rm -rf build dist demo
