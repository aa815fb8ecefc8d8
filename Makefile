# Building and testing on Debian or Ubuntu (./make.sh installs make itself
# and the compiler first, then calls this):
#   make run    install what is missing, build the demo and run it
#   make test   install what is missing, build and run the whole test suite:
#               the normal build, a build under AddressSanitizer and
#               UndefinedBehaviorSanitizer, a build without SIMD paths, and
#               the threaded renderer's tests under ThreadSanitizer

JOBS ?= $(shell nproc)
CONFIGURE = cmake -S . -DCMAKE_BUILD_TYPE=Release
CTEST = ctest --output-on-failure -j$(JOBS)

.PHONY: run test build test-normal test-sanitized test-nosimd test-threads deps-run deps-test clean

run: deps-run build
	./build/tessik

# The demo alone: the test suite and the benchmarks are not configured, so
# it needs none of their packages. The test build in the same directory
# switches them back on.
build:
	$(CONFIGURE) -B build -DTESSIK_BUILD_TESTS=OFF -DTESSIK_BUILD_BENCHMARKS=OFF
	cmake --build build -j$(JOBS) --target tessik

test: deps-test test-normal test-sanitized test-nosimd test-threads

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

deps-run:
	scripts/install-deps.sh run

deps-test:
	scripts/install-deps.sh test

clean:
	rm -rf build build-sanitize build-nosimd build-tsan
