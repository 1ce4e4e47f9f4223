# The two set-up commands: `make play` and `make test`. Both install what is
# missing, configure with CMake into build/ and build.

SHELL    := /bin/bash
BUILD    ?= build
JOBS     ?= $(shell nproc)
CTEST_J  ?= $(shell nproc)

# `make test` also runs the suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every fuzz target for a short while.
ASAN_BUILD        ?= build-asan
FUZZ_BUILD        ?= build-fuzz
FUZZ_TEST_SECONDS ?= 20
# `make windows`: the cross build for Windows, beside the Linux one.
WINDOWS_BUILD     ?= build-windows
WINDOWS_TOOLCHAIN  = cmake/toolchains/mingw-w64-x86_64.cmake
# ON: the cross build has the unit suites too (`make test-windows` asks for
# them); left unset, a cross build keeps what it was configured with (OFF at first).
WINDOWS_TESTS     ?=
# `make web`: the browser build (Emscripten), beside the Linux one.
WEB_BUILD         ?= build-web
# `make install`: PREFIX, and DESTDIR for a staging root.
PREFIX            ?= /usr/local
# `make fuzz`: FUZZ_SECONDS per target, FUZZ_TARGETS to pick some, FUZZ_JOBS side by side.
FUZZ_SECONDS      ?= 600
FUZZ_TARGETS      ?=
FUZZ_JOBS         ?= 1

# LP_NUM_THREADS=0: Mesa's software rasteriser draws on the calling thread.
# Its worker threads still starting or ending while LeakSanitizer stops the
# world at exit made the leak check itself crash now and then; so did the
# shader cache's writer thread, which Mesa stops from its own exit handler
# (MESA_SHADER_CACHE_DISABLE also keeps the suite out of ~/.cache).
SANITIZER_ENV = LP_NUM_THREADS=0 MESA_SHADER_CACHE_DISABLE=true \
                ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=0 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-third-party.supp:print_suppressions=0

.PHONY: all deps configure build play install package test test-unit test-package test-asan \
        test-fuzz fuzz fuzz-build bench clean windows windows-deps windows-package test-windows \
        web web-package test-web

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZORAX_OTHER_PLAYERS="$(CURDIR)/$(WINDOWS_BUILD)/players;$(CURDIR)/$(WEB_BUILD)/players" >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

play: build
	@if [ -x $(BUILD)/bin/skylane ]; then exec $(BUILD)/bin/skylane; else exec $(BUILD)/bin/zorax-player; fi

# The programs, manual pages, desktop entries, icons and metainfo under
# $(DESTDIR)$(PREFIX); see packaging/CMakeLists.txt.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package $(BUILD)/zorax-player_<version>_<arch>.deb, with the
# Windows and web players for zorax-tool export.
package: build windows web
	@cd $(BUILD) && cpack -G DEB

# The stages in order, each timed: the Linux build and suite; the Windows and
# web builds (the package carries their players); the package; the suite with
# sanitizers; the fuzz targets; the Windows suites and runs under Wine; the
# web page in Chromium.
test:
	@stage() { local start=$$(date +%s); $(MAKE) --no-print-directory "$$@" || exit 1; \
	           times+=("$$1 $$(( $$(date +%s) - start )) s"); }; times=(); \
	  stage test-unit && stage windows WINDOWS_TESTS=ON && stage web-package && \
	  stage test-package && stage test-asan && stage test-fuzz && stage test-windows && \
	  stage test-web && (IFS=,; echo "test stages: $${times[*]}")

# The Debian package built from build/ as it is (with the players of the
# Windows and web builds), checked and played unpacked.
test-package: build windows web
	@scripts/check-package $(BUILD)

test-unit: build
	@cd $(BUILD) && ctest --output-on-failure -j $(CTEST_J)

# The whole suite again, built with -O1, line tables only (-g1, enough for
# the reports' stacks, much quicker to build) and both sanitizers.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
	  -DOMBREL_SANITIZE=ON -DOMBREL_BENCH=OFF >/dev/null
	@$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && { $(SANITIZER_ENV) ctest --output-on-failure -j $(CTEST_J) 2>&1 | tee ctest.log; \
	  test $${PIPESTATUS[0]} = 0 || { grep -q "LeakSanitizer has encountered a fatal error" ctest.log && \
	  echo "test-asan: the leak checker itself crashed; the failed tests once more:" && \
	  $(SANITIZER_ENV) ctest --rerun-failed --output-on-failure; }; }

# The fuzz targets and their seeds only, then each target for a short run.
fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DOMBREL_FUZZ=ON -DOMBREL_TESTS=OFF -DOMBREL_BENCH=OFF \
	  -DOMBREL_FUZZ_DEMO_DIR=$(CURDIR)/$(BUILD)/demo >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets fuzz_seeds

test-fuzz: fuzz-build
	@scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_TEST_SECONDS) 2 $(FUZZ_TARGETS)

# A fuzzing campaign: FUZZ_SECONDS per target, the corpus kept in $(FUZZ_BUILD)/corpus.
fuzz: fuzz-build
	@scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_JOBS) $(FUZZ_TARGETS)

# The player for Windows (MinGW-w64), in $(WINDOWS_BUILD)/bin: zorax-player.exe,
# skylane.exe and zorax-tool.exe, each one file with every library linked in.
# The libraries are built once from Debian's sources (scripts/build-deps);
# the demo's game and media come from the Linux build, packed with its tool.
windows-deps:
	@scripts/install-deps windows

windows: build windows-deps
	@tests=$(WINDOWS_TESTS); \
	  [ -n "$$tests" ] || tests=$$(sed -n 's/^OMBREL_TESTS:BOOL=//p' $(WINDOWS_BUILD)/CMakeCache.txt 2>/dev/null); \
	  prefix=$$(set -o pipefail; scripts/build-deps windows | tail -1) && test -d "$$prefix" && \
	  cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) \
	    -DCMAKE_PREFIX_PATH="$$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DOMBREL_HOST_BUILD=$(CURDIR)/$(BUILD) -DOMBREL_BENCH=OFF -DOMBREL_TESTS=$${tests:-OFF} >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# $(WINDOWS_BUILD)/zorax-player-<version>-windows-x64.zip: the three programs
# without debugging information, README.txt and the libraries' licences.
windows-package: windows
	@scripts/windows-package $(WINDOWS_BUILD) $(BUILD)

# The Windows stage of `make test`: the cross build with its unit suites, the
# suites and whole runs under Wine (scripts/test-windows), and the zip, built
# and its members checked against packaging/windows/package-contents.
test-windows:
	@$(MAKE) --no-print-directory windows WINDOWS_TESTS=ON
	@scripts/test-windows $(WINDOWS_BUILD) $(BUILD)
	@zip=$$(scripts/windows-package $(WINDOWS_BUILD) $(BUILD)) && \
	  unzip -Z1 "$$zip" | sed 's|^[^/]*/||' | diff -u packaging/windows/package-contents - && \
	  echo "$$zip: members as listed in packaging/windows/package-contents"

# The player for browsers (Emscripten), in $(WEB_BUILD)/bin: index.html and
# zorax-page.js (the page), zorax-player.js and zorax-player.wasm (the
# player) and skylane (the demo's game, packed with the Linux build's tool
# and members). Debian's emcc wants Node to find acorn in /usr/share/nodejs.
web: build
	@scripts/install-deps web
	@prefix=$$(set -o pipefail; scripts/build-deps web | tail -1) && test -d "$$prefix" && \
	  NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=MinSizeRel \
	    -DCMAKE_PREFIX_PATH="$$prefix" -DCMAKE_FIND_ROOT_PATH="$$prefix" \
	    -DOMBREL_HOST_BUILD=$(CURDIR)/$(BUILD) -DOMBREL_BENCH=OFF -DOMBREL_TESTS=OFF >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j $(JOBS)

# $(WEB_BUILD)/skylane-web.zip: the page, the player and the game in one
# folder for any static web server; the same bytes from the same build.
web-package: web
	@scripts/web-package $(WEB_BUILD)/bin $(WEB_BUILD)/skylane-web.zip

# The web build played in headless Chromium from a server on 127.0.0.1:
# the scripted tour against the Linux references, and a corrupt game.
test-web: web-package
	@scripts/test-web $(WEB_BUILD) $(BUILD)

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD) $(WEB_BUILD)
