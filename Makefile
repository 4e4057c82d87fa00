# The front door: every target installs what is missing, configures and builds first.
#   make run         build and play (a window, or a headless demo without a display)
#   make test        build and run every test, then the PowerPC build and its tests
#   make build       build and stage the game into build/game/
#   make install     install the game under PREFIX (/usr/local), or DESTDIR/PREFIX to stage a package
#   make bench       build and run the benchmarks
#   make bench-callgrind  instructions per flight frame of a fixed headless run
#   make test-cross  build the library and its unit tests for big-endian PowerPC and run them
#   make asan        build and run the unit and end-to-end tests under the sanitizers
#   make previews    build the data and render PNG sheets of it into build/previews/
#   make fuzz-smoke  fuzz every file parser with libFuzzer for FUZZ_SECONDS (60) each

BUILD       ?= build
BUILD_PPC   ?= build-ppc
BUILD_ASAN  ?= build-asan
BUILD_FUZZ  ?= build-fuzz
FUZZ_SECONDS ?= 60
PREFIX      ?= /usr/local
JOBS        ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build install run test test-native test-cross bench bench-callgrind asan previews fuzz-smoke clean

all: build

setup:
	@scripts/setup-deps

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The prefix is configured in, for the desktop entry names the installed program by its path.
install: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	@DESTDIR=$(DESTDIR) cmake --install $(BUILD)

run: build
	@scripts/play $(BUILD)

test: test-native test-cross

test-native: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-cross: build
	@cmake -S . -B $(BUILD_PPC) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/powerpc-linux-gnu.cmake \
	    -DVANTREL_HOST_GAME_DIR=$(CURDIR)/$(BUILD)/game >/dev/null
	@cmake --build $(BUILD_PPC) -j $(JOBS)
	@cd $(BUILD_PPC) && ctest --output-on-failure -j $(JOBS) -L 'unit|cross'

asan: setup
	@cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON \
	    -DVANTREL_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_ASAN) -j $(JOBS)
	@cd $(BUILD_ASAN) && ctest --output-on-failure -j $(JOBS) -L 'unit|e2e|golden'

previews: build
	@cmake --build $(BUILD) --target previews
	@scripts/flight-previews $(BUILD)
	@mkdir -p $(BUILD)/previews/scenes
	@$(BUILD)/tools/scene_sheet $(BUILD)/game $(BUILD)/previews/scenes > /dev/null
	@echo "scene previews: a contact sheet per scene in $(BUILD)/previews/scenes"

bench: build
	@$(BUILD)/vantrel_bench --benchmark_min_time=0.2

bench-callgrind: build
	@scripts/bench-callgrind $(BUILD)

fuzz-smoke: build
	@JOBS=$(JOBS) FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz-smoke $(BUILD) $(BUILD_FUZZ)

clean:
	rm -rf $(BUILD) $(BUILD_PPC) $(BUILD_ASAN) $(BUILD_FUZZ)
