# The two commands of the README: `make run` builds and starts Quarvel, `make test` builds
# and runs every test. Both install what is missing first.
PRESET ?= dev
BUILD_DIR = build/$(PRESET)

.PHONY: all deps configure build run test asan bench format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET)

run: build
	@$(BUILD_DIR)/src/app/quarvel

test: build
	@ctest --preset $(PRESET)

asan:
	@$(MAKE) test PRESET=asan

bench:
	@$(MAKE) build PRESET=release
	@build/release/bench/quarvel_bench_sort
	@build/release/bench/quarvel_bench_table
	@build/release/bench/quarvel_bench_analysis
	@build/release/bench/quarvel_bench_plot
	@build/release/bench/quarvel_bench_join

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
