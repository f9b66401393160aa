# The two commands of the README: `make run` builds and starts Quarvel, `make test` builds
# and runs every test. Both install what is missing first.
PRESET ?= dev
BUILD_DIR = build/$(PRESET)

.PHONY: all deps configure build run test asan bench fuzz package format clean

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
	@build/release/bench/quarvel_bench_stop

# `make fuzz SECONDS=N`: builds the fuzz preset (clang, sanitizers, libFuzzer) and fuzzes the
# table reader and the engine for N seconds. The working corpus in build/fuzz/corpus starts
# from the seed tables and keeps what earlier runs found; crashing inputs go to
# build/fuzz/findings, and the run fails.
SECONDS ?= 60
FUZZ_DIR = build/fuzz

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/findings
	@cp $(FUZZ_DIR)/tests/fuzz/seeds/* $(FUZZ_DIR)/corpus/
	@$(FUZZ_DIR)/tests/fuzz/fuzz_table -max_total_time=$(SECONDS) -timeout=20 \
		-print_final_stats=1 -dict=tests/fuzz/fuzz_table.dict \
		-artifact_prefix=$(FUZZ_DIR)/findings/ $(FUZZ_DIR)/corpus

# A Debian package of the release build (build/release/quarvel_<version>_<arch>.deb).
package:
	@$(MAKE) build PRESET=release
	@cd build/release && cpack -G DEB

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
