# The README's commands: make run, make test, make build.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

COVERAGE_DIR ?= build-coverage

.PHONY: all run test build deps test-fast test-asan test-fuzz fuzz contact-sheet bench package mutants coverage clean

all: build

deps:
	./scripts/install-deps

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: deps build
	./scripts/run-game $(BUILD_DIR)

# Every test twice: the normal build, then with address, undefined-behaviour and leak checks;
# then each fuzz target briefly from its corpus.
test: deps build test-fast test-asan test-fuzz

test-fast:
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

test-asan:
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DPELMORA_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_DIR) -j$(JOBS)
	cd $(ASAN_DIR) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  ctest --output-on-failure -j$(JOBS)

# build/pelmora_VERSION_ARCH.deb and build/pelmora-server_VERSION_ARCH.deb.
package: deps build
	cd $(BUILD_DIR) && cpack -G DEB

# Each fuzz target for FUZZ_SECONDS, in a clang build of its own (build-fuzz).
fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_DIR=$(FUZZ_DIR) JOBS=$(JOBS) ./scripts/fuzz

test-fuzz:
	FUZZ_SECONDS=10 FUZZ_DIR=$(FUZZ_DIR) JOBS=$(JOBS) ./scripts/fuzz

contact-sheet: build
	cmake --build $(BUILD_DIR) --target contact-sheet

bench: build
	$(BUILD_DIR)/bin/pelmora-bench

# Each mutant of tests/mutants.txt against the whole suite, in build-mutants/. Slow; not part of make test.
mutants: deps
	JOBS=$(JOBS) ./scripts/mutants

# Line and branch coverage of the whole suite: build-coverage/coverage.html and a summary per folder.
coverage: deps
	cmake -S . -B $(COVERAGE_DIR) -DCMAKE_BUILD_TYPE=Debug -DPELMORA_COVERAGE=ON $(CMAKE_FLAGS)
	cmake --build $(COVERAGE_DIR) -j$(JOBS)
	JOBS=$(JOBS) ./scripts/coverage $(COVERAGE_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(COVERAGE_DIR) build-mutants
