# Ravelock: the two commands of the README are `make run` and `make test`.

JOBS ?= $(shell nproc)
# CI builds with WERROR=ON: a warning of the project's own code fails it.
WERROR ?= OFF
PRESET_FLAGS = -DRAVELOCK_WERROR=$(WERROR)
WINE_PREFIX := $(CURDIR)/build/win64/wineprefix
NATIVE := build/native
RELEASE := build/native-release
WIN64 := build/win64

.PHONY: run test build bootstrap native release win64 test-native test-win64 test-gui \
        check-format bench fuzz format images clean

bootstrap:
	@tools/bootstrap

native: bootstrap
	cmake --preset native $(PRESET_FLAGS) >/dev/null
	cmake --build $(NATIVE) -j$(JOBS)

release: bootstrap
	cmake --preset native-release $(PRESET_FLAGS) >/dev/null
	cmake --build $(RELEASE) -j$(JOBS)

win64: bootstrap
	cmake --preset win64 $(PRESET_FLAGS) >/dev/null
	cmake --build $(WIN64) -j$(JOBS)

# Every binary of both targets.
build: native release win64

# Each ctest run writes its own JUnit file; the summary reads all three.
# Each stage fails when one of its tests fails.
test-native: native
	rm -f $(NATIVE)/test-results/*.xml
	cd $(NATIVE) && ctest --output-on-failure --output-junit ctest-junit.xml -j$(JOBS)

# The prefix's wineserver is stopped whatever the tests' outcome.
test-win64: win64
	tools/wine-prefix $(WINE_PREFIX)
	rm -f $(WIN64)/test-results/*.xml
	status=0; cd $(WIN64) && WINEPREFIX=$(WINE_PREFIX) WINEDEBUG=-all \
	  ctest -LE gui --output-on-failure --output-junit ctest-junit.xml -j$(JOBS) || status=$$?; \
	  cd $(CURDIR) && tools/wine-prefix $(WINE_PREFIX) stop; exit $$status

# The dialogs under Xvfb, in a Wine prefix of their own; screenshots in
# build/screens.
test-gui: win64
	tools/gui-tests $(WIN64)

# Every stage runs even after one failed, the summary counts them all, and
# the whole fails when any stage or the format check did.
test: bootstrap
	@status=0; \
	$(MAKE) --no-print-directory check-format || status=1; \
	$(MAKE) --no-print-directory test-native || status=1; \
	$(MAKE) --no-print-directory test-win64 || status=1; \
	$(MAKE) --no-print-directory test-gui || status=1; \
	tools/test-summary $(NATIVE) $(WIN64) $(WIN64)/gui || status=1; \
	exit $$status

# The project's sources as .clang-format wants them.
check-format:
	@clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h') && \
	  echo "format: every file in format"

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

# Redraws the committed icons, cursor and bitmaps (ImageMagick).
images:
	@for script in resources/*/make_*.sh; do echo "$$script"; sh "$$script" || exit 1; done

clean:
	rm -rf build
