# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOHRWALK_WERROR=ON

.PHONY: all deps build-deps bench-deps build program run test asan-test bench format clean

all: build

# What to install: `make build` only what building needs, `make run` that and the fonts the panels
# render with, `make test` and `make bench` everything the tests and benchmarks use as well. One
# install at a time, even under make -j: each rule installs its own group before its own work.
deps:
	@scripts/install-deps test
build-deps:
	@scripts/install-deps build
bench-deps:
	@scripts/install-deps bench

$(BUILD)/build.ninja: | build-deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD)

# Only the program itself: starting it needs neither the tests nor their tools.
program: $(BUILD)/build.ninja
	@scripts/install-deps run
	cmake --build $(BUILD) --target mohrwalk

run: program
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "mohrwalk needs a display and none is set; run it under Xvfb instead: xvfb-run -a -s '-screen 0 1024x768x24' $(BUILD)/mohrwalk"; \
		exit 1; \
	fi
	$(BUILD)/mohrwalk

test: build
	@scripts/install-deps test
	ctest --test-dir $(BUILD) --output-on-failure -j2

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder.
asan-test: deps
	@[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DMOHRWALK_WERROR=ON -DMOHRWALK_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

bench: bench-deps
	@[ -f $(BENCH_BUILD)/build.ninja ] || cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DMOHRWALK_BENCH=ON
	cmake --build $(BENCH_BUILD)
	bench/run $(BENCH_BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
