# The two set-up commands: `make play` and `make test`. Both install what is
# missing, configure with CMake into build/ and build.

BUILD    ?= build
JOBS     ?= $(shell nproc)
CTEST_J  ?= $(shell nproc)

.PHONY: all deps configure build play test bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

play: build
	@if [ -x $(BUILD)/bin/skylane ]; then exec $(BUILD)/bin/skylane; else exec $(BUILD)/bin/zorax-player; fi

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(CTEST_J)

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benchmarks

clean:
	rm -rf $(BUILD)
