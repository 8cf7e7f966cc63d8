# Front door. `make test` builds and runs every test; `make run` starts the
# program against a demo handheld.
JOBS ?= 2
NATIVE := build/native
ASAN := build/asan
TSAN := build/tsan

.PHONY: test native-test asan-test tsan-test bench clean

test: native-test asan-test tsan-test

define native_build
	cmake -S . -B $(1) -DCMAKE_BUILD_TYPE=$(2) $(3) >/dev/null
	cmake --build $(1) -j$(JOBS)
endef

native-test:
	$(call native_build,$(NATIVE),RelWithDebInfo,)
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)

asan-test:
	$(call native_build,$(ASAN),Debug,-DRAVO_SANITIZE=address)
	cd $(ASAN) && ctest --output-on-failure -j$(JOBS)

tsan-test:
	$(call native_build,$(TSAN),Debug,-DRAVO_SANITIZE=thread)
	cd $(TSAN) && ctest --output-on-failure -j$(JOBS) -L threads

bench:
	$(call native_build,$(NATIVE),Release,)
	$(NATIVE)/bench/ravo_bench

clean:
	rm -rf build dist
