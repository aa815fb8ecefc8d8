# Building and testing on Debian or Ubuntu (./make.sh installs make itself
# and the compiler first, then calls this):
#   make run    install what is missing, build the demo and run it
#   make test   install what is missing, build and run the whole test suite:
#               the normal build, a build under AddressSanitizer and
#               UndefinedBehaviorSanitizer, a build without SIMD paths, and
#               the threaded renderer's tests under ThreadSanitizer, and the
#               64-bit ARM cross build's tests under qemu
#   make test-arm64  only the last: the ARM build's tests and its frames
#               against those of a native build of the same sources

JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -DCMAKE_BUILD_TYPE=Release
CTEST = ctest --output-on-failure -j$(JOBS)

.PHONY: run test build test-normal test-sanitized test-nosimd test-threads test-arm64 deps-run deps-test \
        deps-arm64 clean

run: deps-run build
	./build/tessik

# The demo alone: the test suite and the benchmarks are not configured, so
# it needs none of their packages. The test build in the same directory
# switches them back on.
build:
	$(CONFIGURE) -B build -DTESSIK_BUILD_TESTS=OFF -DTESSIK_BUILD_BENCHMARKS=OFF
	cmake --build build -j$(JOBS) --target tessik

test: deps-test test-normal test-sanitized test-nosimd test-threads test-arm64

test-normal:
	$(CONFIGURE) -B build -DTESSIK_BUILD_TESTS=ON -DTESSIK_BUILD_BENCHMARKS=ON
	cmake --build build -j$(JOBS)
	cd build && $(CTEST)

test-sanitized:
	$(CONFIGURE) -B build-sanitize -DTESSIK_SANITIZE=ON -DTESSIK_BUILD_BENCHMARKS=OFF
	cmake --build build-sanitize -j$(JOBS)
	cd build-sanitize && $(CTEST)

test-nosimd:
	$(CONFIGURE) -B build-nosimd -DTESSIK_SIMD=OFF -DTESSIK_BUILD_BENCHMARKS=OFF
	cmake --build build-nosimd -j$(JOBS)
	cd build-nosimd && $(CTEST)

# ThreadSanitizer on the thread team and on frames drawn by teams of
# threads (the full demo-frame comparison runs in the other builds).
test-threads:
	$(CONFIGURE) -B build-tsan -DTESSIK_SANITIZE_THREAD=ON -DTESSIK_BUILD_BENCHMARKS=OFF
	cmake --build build-tsan -j$(JOBS) --target tessik_tests
	cd build-tsan && $(CTEST) -R '^(ThreadTeam\.|ThreadTeamDeathTest\.|ThreadedFrames\.OddSizes)'

# The cross build leaves the display out (an arm64 SDL2 would bring a whole
# arm64 desktop stack with it): everything is built and tested but the
# window and the demo program. Its frame tool must print what
# the native one prints, step by step (tests/CMakeLists.txt).
test-arm64: deps-arm64
	$(CONFIGURE) -B build -DTESSIK_BUILD_TESTS=OFF -DTESSIK_BUILD_BENCHMARKS=OFF
	cmake --build build -j$(JOBS) --target tessik-bench
	$(CONFIGURE) -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
	    -DTESSIK_DISPLAY=OFF -DTESSIK_BUILD_BENCHMARKS=OFF \
	    -DTESSIK_NATIVE_FRAME_TOOL=$(CURDIR)/build/tessik-bench
	cmake --build build-arm64 -j$(JOBS)
	cd build-arm64 && $(CTEST)

deps-run:
	scripts/install-deps.sh run

deps-test:
	scripts/install-deps.sh test

deps-arm64:
	scripts/install-deps.sh arm64

clean:
	rm -rf build build-sanitize build-nosimd build-tsan build-arm64
