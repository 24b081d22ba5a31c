# Tarnivell: the two commands a newcomer needs are `make run` and `make test`.
# Each installs the Debian packages it needs when they are missing, then builds in build/.

BUILD        ?= build
JOBS         ?= 2
MODEL        ?= examples/predator-prey.ini
FUZZ_SECONDS ?= 30
PREFIX       ?= /usr/local

CMAKE_FLAGS  ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test bench fuzz asan install package format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@bash scripts/run.sh $(BUILD) $(MODEL)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	@bash scripts/bench.sh $(BUILD)

# Each libFuzzer target runs FUZZ_SECONDS, from a clang build of its own.
fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTARNIVELL_FUZZ=ON -DTARNIVELL_TESTS=OFF -DTARNIVELL_BENCH=OFF
	cmake --build build-fuzz -j$(JOBS)
	@bash scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

# The unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNIVELL_SANITIZE=ON -DTARNIVELL_BENCH=OFF
	cmake --build build-asan -j$(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j$(JOBS)

# The program, its examples, desktop entry, icon and manual page below PREFIX
# (DESTDIR is honoured). The manual page names the examples' folder, so the
# build learns PREFIX first.
install: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(BUILD) -j$(JOBS) --target tarnivell tarnivell_manpage
	cmake --install $(BUILD)

# The Debian package, from a release build of the program alone (no tests, no
# benchmarks) in build-package/, then looked into and run from its files.
package: deps
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
