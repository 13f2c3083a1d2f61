# Set-up, build and run in one step: `make run` and `make test` need nothing else.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: all deps configure build run test test-full asan bench fuzz format format-check clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-example $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

# The long differential suites (labelled "slow") as well.
test-full: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVIDO_SANITIZE=ON -DVIDO_BUILD_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE slow

bench: build
	$(BUILD)/bench/vido_bench

fuzz: deps
	scripts/fuzz $(FUZZ_SECONDS)

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

format-check:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) fuzz-build
