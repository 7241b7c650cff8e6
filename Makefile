# Ravelock: the two commands of the README are `make run` and `make test`.

JOBS ?= $(shell nproc)
WINE_PREFIX := $(CURDIR)/build/win64/wineprefix
NATIVE := build/native
RELEASE := build/native-release
WIN64 := build/win64

.PHONY: run test build bootstrap native release win64 test-native test-win64 test-gui bench fuzz format clean

bootstrap:
	@tools/bootstrap

native: bootstrap
	cmake --preset native >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

release: bootstrap
	cmake --preset native-release >/dev/null
	cmake --build $(RELEASE) -j$(JOBS)

win64: bootstrap
	cmake --preset win64 >/dev/null
	cmake --build $(WIN64) -j$(JOBS)

# Every binary of both targets.
build: native release win64

# Each ctest run writes its own JUnit file; the summary reads all three.
test-native: native
	rm -f $(NATIVE)/test-results/*.xml
	cd $(NATIVE) && ctest --output-on-failure --output-junit ctest-junit.xml -j$(JOBS) || true

test-win64: win64
	tools/wine-prefix $(WINE_PREFIX)
	rm -f $(WIN64)/test-results/*.xml
	cd $(WIN64) && WINEPREFIX=$(WINE_PREFIX) WINEDEBUG=-all \
	  ctest -LE gui --output-on-failure --output-junit ctest-junit.xml -j$(JOBS) || true
	tools/wine-prefix $(WINE_PREFIX) stop

# The dialogs under Xvfb, in a Wine prefix of their own; screenshots in
# build/screens.
test-gui: win64
	tools/gui-tests $(WIN64)

test: bootstrap
	$(MAKE) --no-print-directory test-native
	$(MAKE) --no-print-directory test-win64
	$(MAKE) --no-print-directory test-gui
	@tools/test-summary $(NATIVE) $(WIN64) $(WIN64)/gui

run: build
	@tools/run-sample

bench: release
	$(RELEASE)/bin/ravelock_bench
	$(RELEASE)/bin/file_bench
	$(RELEASE)/bin/keyserver_bench

fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build build/fuzz -j$(JOBS)
	tools/run-fuzzers build/fuzz/bin $(or $(FUZZ_SECONDS),60)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
