# The front door: `make run` and `make test`. Both install what they need on Debian 12 when run
# as root, configure with CMake and build.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

PACKAGES := build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev clang libclang-rt-14-dev srecord binutils

.PHONY: all deps configure build test run fuzz tsan bench clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "Installing:" $$missing; \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	    else \
	        echo "Missing Debian packages (install them as root):" $$missing; exit 1; \
	    fi; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

run: build
	tools/run-with-simulator.sh $(BUILD)/bin

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DORVANE_FUZZ=ON -DORVANE_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	tools/run-fuzzers.sh build-fuzz/bin $${FUZZ_SECONDS:-60}

tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DORVANE_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="-fsanitize=thread -g -O1"
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L threads

clean:
	rm -rf $(BUILD) build-fuzz build-tsan
