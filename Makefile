# Front door. `make test` builds and runs every test; `make run` starts the
# program against a demo handheld.
JOBS ?= 2
NATIVE := build/native
ASAN := build/asan
TSAN := build/tsan

.PHONY: test native-test asan-test tsan-test fuzz-test fuzz stress bench clean windows win64 win32 deps run dist wine-test

test: native-test asan-test tsan-test fuzz-test wine-test

# native_build <dir>,<build type>,<cmake options>[,<targets>]
define native_build
	cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=$(2) $(3) >/dev/null
	cmake --build $(1) -j$(JOBS) $(if $(4),--target $(4))
endef

native-test:
	$(call native_build,$(NATIVE),RelWithDebInfo,)
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)

asan-test:
	$(call native_build,$(ASAN),Debug,-DRAVO_SANITIZE=address)
	cd $(ASAN) && RAVO_STORM_ATTEMPTS=500 ctest --output-on-failure -j$(JOBS)

# Only the tests that run threads are built and run under ThreadSanitizer.
TSAN_TESTS := cancel_storm_test sim_test
tsan-test:
	$(call native_build,$(TSAN),Debug,-DRAVO_SANITIZE=thread,$(TSAN_TESTS))
	cd $(TSAN) && RAVO_STORM_ATTEMPTS=200 ctest --output-on-failure -j$(JOBS) -L threads

# The version-file fuzzer (clang's libFuzzer with AddressSanitizer):
# a bounded run in `make test`, an open-ended one in `make fuzz`.
FUZZ := build/fuzz
FUZZ_RUNS ?= 200000
fuzz-build:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVO_FUZZ=ON \
	  -DRAVO_SANITIZE=address >/dev/null
	cmake --build $(FUZZ) -j$(JOBS) --target version_fuzz

fuzz-test: fuzz-build
	$(FUZZ)/tests/version_fuzz -runs=$(FUZZ_RUNS) -max_len=600 -seed=1

fuzz: fuzz-build
	mkdir -p $(FUZZ)/corpus
	$(FUZZ)/tests/version_fuzz -max_len=600 -max_total_time=$${FUZZ_SECONDS:-600} $(FUZZ)/corpus

# Ten thousand cancelled attempts on real threads under ThreadSanitizer.
stress:
	$(call native_build,$(TSAN),Debug,-DRAVO_SANITIZE=thread,cancel_storm_test)
	RAVO_STORM_ATTEMPTS=10000 $(TSAN)/tests/cancel_storm_test

bench:
	command -v gnuplot >/dev/null || { apt-get update -qq && apt-get install -y -qq gnuplot-nox >/dev/null; } || true
	$(call native_build,build/release,Release,)
	build/release/bench/ravo_bench $(CURDIR)/docs/progress-plot.png
	-$(MAKE) --no-print-directory win64 >/dev/null 2>&1
	bench/wine_startup.sh $(WIN64)

# The Windows program, cross-built: one static RavoVup.exe per architecture,
# with the simulated rapi.dll and the UI driver beside it in the build tree.
# RAVO_CABINET=/path/real.cab embeds a real package instead of the demo one.
WIN64 := build/x86_64
WIN32 := build/i686
RAVO_CABINET ?=

define windows_build
	cmake -S . -B $(1) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-$(2).cmake -DCMAKE_BUILD_TYPE=Release \
	  -DRAVO_CABINET="$(RAVO_CABINET)" >/dev/null
	cmake --build $(1) -j$(JOBS) --target RavoVup rapi ui_driver -- --no-print-directory
endef

deps:
	tools/install_deps.sh

win64:
	$(call windows_build,$(WIN64),x86_64)

win32:
	$(call windows_build,$(WIN32),i686)

windows: win64 win32

run: deps
	$(MAKE) windows
	tools/run.sh

dist: windows
	rm -rf dist
	for arch in x86_64 i686; do \
	  mkdir -p dist/$$arch/sim && \
	  cp build/$$arch/app/RavoVup.exe dist/$$arch/ && \
	  cp build/$$arch/sim/rapi.dll dist/$$arch/sim/ || exit 1; \
	done
	@ls -l dist/*/RavoVup.exe dist/*/sim/rapi.dll

# The Wine suite (tests/wine, pytest): both architectures at once, each with
# its own Xvfb and prefix. build/wine-test/<arch>/ gets the transcript, the
# screenshots of failures and junit.xml. WINE_TEST_ARGS adds pytest options,
# e.g. WINE_TEST_ARGS="-k storm".
PYTEST ?= pytest-3
wine_test = timeout -s INT -k 30 540 $(PYTEST) tests/wine -v --arch $(1) --build-dir build/$(1) \
  --junitxml=build/wine-test/$(1)/junit.xml $(WINE_TEST_ARGS)
wine-test: windows
	for arch in x86_64 i686; do \
	  python3 tools/check_exe.py build/$$arch/app/RavoVup.exe --check build/$$arch/resources/package.cab || exit 1; \
	done
	$(call wine_test,i686) >build/wine-test-i686.log 2>&1 & i686=$$!; \
	$(call wine_test,x86_64); x86_64=$$?; \
	wait $$i686; i686=$$?; cat build/wine-test-i686.log; \
	test $$x86_64 = 0 -a $$i686 = 0

clean:
	rm -rf build dist
