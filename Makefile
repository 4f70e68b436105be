# The two commands of the README: `make run` and `make test`. Both install what
# is missing (as root, on Debian), build into $(BUILD) and run under Wine.
BUILD ?= build
# A maintainer points the build at another payload list (see README).
PAYLOAD_LIST ?=
# CTest selection, e.g. `make test TESTS=fsutil`.
TESTS ?=
CMAKE_FLAGS = -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/i686-w64-mingw32.cmake \
              -DCMAKE_BUILD_TYPE=Release $(if $(PAYLOAD_LIST),-DPAYLOAD_LIST=$(abspath $(PAYLOAD_LIST)))

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	@tools/run-setup.sh $(BUILD)

test: build
	@tools/with-wine.sh $(BUILD) ctest --test-dir $(BUILD) --output-on-failure $(if $(TESTS),-R $(TESTS))

bench: configure
	@cmake --build $(BUILD) --target bench_payload
	@tools/with-wine.sh $(BUILD) tools/wine-run.sh $(BUILD)/bench/bench_payload.exe $(BUILD)/tests/payload/fullsize.bin

clean:
	rm -rf $(BUILD)
