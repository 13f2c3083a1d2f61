# Set-up, build and run in one step: `make run` and `make test` need nothing else.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run gui test test-full asan release bench fuzz format format-check clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIDO_WERROR=ON $(CMAKE_ARGS)

configure: deps $(BUILD)/CMakeCache.txt
	@# A build folder configured before the desktop program was built by default.
	@if grep -q '^VIDO_BUILD_GUI:BOOL=OFF' $(BUILD)/CMakeCache.txt; then \
	  cmake -S . -B $(BUILD) -DVIDO_BUILD_GUI=ON >/dev/null; fi
	@# Warnings stop a development build (older build folders predate the option).
	@if ! grep -q '^VIDO_WERROR:BOOL=ON' $(BUILD)/CMakeCache.txt; then \
	  cmake -S . -B $(BUILD) -DVIDO_WERROR=ON >/dev/null; fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-example $(BUILD)

# The desktop program (its help pages are copied beside it, in Manual/).
gui: build
	$(BUILD)/src/app/vido

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

# The long differential suites (labelled "slow") as well.
test-full: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVIDO_WERROR=ON -DVIDO_SANITIZE=ON -DVIDO_BUILD_BENCH=OFF -DVIDO_BUILD_GUI=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

# The optimised build a packager makes, with warnings as errors as in development.
RELEASE_BUILD ?= build-release
release: deps
	cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DVIDO_WERROR=ON -DVIDO_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

bench: build
	$(BUILD)/bench/vido_bench

fuzz: deps
	scripts/fuzz $(FUZZ_SECONDS)

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

format-check:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) fuzz-build
