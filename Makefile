# The front door: `make run` and `make test`. Both install what they need on Debian 12 when run
# as root, configure with CMake and build.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
FUZZ_SECONDS ?= 60
TEST_FUZZ_SECONDS ?= 15

# The package and its tests: dpkg-dev and file for CPack's dependency list, poppler-utils,
# desktop-file-utils, appstream and man-db to check the manual, the desktop entry, the metadata and
# the man pages; libpq-dev for lots on a server, postgresql for the throwaway server of its tests;
# gettext to build and check the message catalogue.
PACKAGES := build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev clang libclang-rt-14-dev binutils \
            qt6-base-dev fonts-wqy-microhei libpq-dev postgresql nlohmann-json3-dev \
            dpkg-dev file poppler-utils desktop-file-utils appstream man-db gettext

.PHONY: all deps configure build package test run fuzz tsan asan bench clean

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

# The Debian package: $(BUILD)/orvane_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

# The threaded tests under ThreadSanitizer, every test under AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of each fuzzer come first, so that CTest's summary
# is the last word.
test: build tsan asan
	$(MAKE) fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

run: build
	tools/run-window.sh $(BUILD)

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DORVANE_FUZZ=ON -DORVANE_BENCH=OFF -DORVANE_GUI=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_targets
	tools/run-fuzzers.sh build-fuzz/bin $(FUZZ_SECONDS)

tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DORVANE_BENCH=OFF -DORVANE_GUI=OFF \
	    -DCMAKE_CXX_FLAGS="-fsanitize=thread -g -O1"
	cmake --build build-tsan -j $(JOBS) --target threaded_tests
	@for t in $$(cat build-tsan/threaded-tests.txt); do \
	    echo "== $$t (ThreadSanitizer)"; \
	    ORVANE_DATA_DIR=$(CURDIR)/data/files/ TSAN_OPTIONS=halt_on_error=1 $$t --gtest_brief=1 || exit 1; \
	done

# Every test, the window tests too (offscreen, with the screenshots, so that every window is
# painted). Qt's own libraries are not instrumented, which AddressSanitizer allows: it checks our
# code's accesses, also those into Qt's objects.
asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DORVANE_BENCH=OFF \
	    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"
	cmake --build build-asan -j $(JOBS)
	mkdir -p build-asan/screenshots
	ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	    QT_QPA_PLATFORM=offscreen ORVANE_SCREENSHOT_DIR=$(CURDIR)/build-asan/screenshots \
	    ctest --test-dir build-asan --output-on-failure -j $(JOBS) --timeout 300

clean:
	rm -rf $(BUILD) build-fuzz build-tsan build-asan
