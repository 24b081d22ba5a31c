# Tarnivell: the two commands a newcomer needs are `make run` and `make test`.
# Each installs the Debian packages of its profiles (scripts/install-deps.sh)
# when they are missing, then builds in build/ what it runs.

BUILD        ?= build
JOBS         ?= 2
MODEL        ?= examples/predator-prey.ini
OUT          ?= $(BUILD)/screenshot.png
FUZZ_SECONDS ?= 30
PREFIX       ?= /usr/local
PROFILES     ?=

CMAKE_FLAGS  ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

INSTALL_DEPS  = @bash scripts/install-deps.sh
# Configures BUILD the first time; later builds configure again by themselves
# when a CMakeLists.txt changes.
CONFIGURE     = @test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
# Configures BUILD again, whether or not anything changed, so that what was
# installed since is found: GoogleTest in a folder `make run` made, a
# benchmark peer. A few seconds.
CONFIGURE_AGAIN = @if [ -f $(BUILD)/CMakeCache.txt ]; then cmake -S . -B $(BUILD); \
	else cmake -S . -B $(BUILD) $(CMAKE_FLAGS); fi

.PHONY: all deps build run screenshot test bench fuzz asan install package format clean

all: build

# Every profile, or those given as PROFILES="run test ...".
deps:
	$(INSTALL_DEPS) $(PROFILES)

build:
	$(INSTALL_DEPS) run
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS)

run:
	$(INSTALL_DEPS) run
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS) --target tarnivell
	@bash scripts/run.sh $(BUILD) $(MODEL)

# The window on MODEL under a virtual display, as a picture in OUT.
screenshot:
	$(INSTALL_DEPS) run look
	$(CONFIGURE)
	cmake --build $(BUILD) -j$(JOBS) --target tarnivell
	@bash scripts/screenshot.sh $(BUILD) $(MODEL) $(OUT)

test:
	$(INSTALL_DEPS) run test
	$(CONFIGURE_AGAIN)
	cmake --build $(BUILD) -j$(JOBS) --target tarnivell_tests
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --no-tests=error -j$(JOBS)

bench:
	$(INSTALL_DEPS) run bench
	$(CONFIGURE_AGAIN)
	cmake --build $(BUILD) -j$(JOBS) --target tarnivell_benchmarks
	@bash scripts/bench.sh $(BUILD)

# Each libFuzzer target runs FUZZ_SECONDS, from a clang build of its own.
fuzz:
	$(INSTALL_DEPS) run fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTARNIVELL_FUZZ=ON -DTARNIVELL_TESTS=OFF -DTARNIVELL_BENCH=OFF
	cmake --build build-fuzz -j$(JOBS)
	@bash scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

# The unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	$(INSTALL_DEPS) run test
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNIVELL_SANITIZE=ON -DTARNIVELL_BENCH=OFF
	cmake --build build-asan -j$(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure --no-tests=error -j$(JOBS)

# The program, its examples, desktop entry, icon and manual page below PREFIX
# (DESTDIR is honoured). The manual page names the examples' folder, so the
# build learns PREFIX first.
install:
	$(INSTALL_DEPS) run
	$(CONFIGURE)
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j$(JOBS) --target tarnivell tarnivell_manpage
	cmake --install $(BUILD)

# The Debian package, from a release build of the program alone (no tests, no
# benchmarks) in build-package/, then looked into and run from its files.
package:
	$(INSTALL_DEPS) run package
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	    -DTARNIVELL_TESTS=OFF -DTARNIVELL_BENCH=OFF
	cmake --build build-package -j$(JOBS)
	rm -f build-package/tarnivell_*.deb
	cd build-package && cpack -G DEB
	@bash scripts/check-package.sh build-package/tarnivell_*.deb examples

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-fuzz build-asan build-package
