# Two commands do all set-up on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts QuorvTV on the emulated card
#   make test   the same set-up, then the whole suite, headless
JOBS ?= $(shell nproc)
BUILD ?= build
TEST_BUILD ?= build-asan
FUZZ_SECONDS ?= 600

.PHONY: deps build run test test-tsan release-check fuzz bench format clean

deps:
	@bash scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS) --target quorvtv

# The emulated tuner powers up untuned, as a real one does: the demo gets the
# emulated stations as its channel list (unless it has channels already).
run: build
	bash scripts/demo-channels $(BUILD)/src/quorvtv.cnl
	./$(BUILD)/src/quorvtv --emulate

# The fuzz targets run briefly on their seed corpora first, so CTest's
# summary of the whole suite is what the run ends with.
test: deps
	bash tests/fuzz/run-fuzzers --seconds 5 --seeds-only
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUORV_SANITIZE=address,undefined
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS) --timeout 600

# The suite under ThreadSanitizer (Qt and FFmpeg are not instrumented: see
# tests/tsan.supp). The script tests are left out: they run the program itself.
test-tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DQUORV_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && QT_QPA_PLATFORM=offscreen \
	  TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) --timeout 600 -LE script

# The Release tree with the tests, compiled only: the optimiser's warnings
# (-Wrestrict and its kin) appear at -O3, and warnings are errors.
release-check: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON
	cmake --build build-release -j $(JOBS)

# Each fuzz target for FUZZ_SECONDS, one after the other; new inputs gather
# in build-fuzz/corpus, findings in build-fuzz/findings.
fuzz: deps
	bash tests/fuzz/run-fuzzers --seconds $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS)
	@ran=0; for b in $(BUILD)/bench/*_bench; do \
	  [ -x "$$b" ] || continue; \
	  echo "== $$b"; "$$b" || exit 1; ran=$$((ran + 1)); \
	done; \
	[ $$ran -gt 0 ] || { echo "bench: nothing in $(BUILD)/bench (libbenchmark-dev missing?)" >&2; exit 1; }

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(TEST_BUILD) build-fuzz build-tsan build-release
