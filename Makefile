# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOHRWALK_WERROR=ON

.PHONY: all deps build run test asan-test bench format clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
		echo "mohrwalk needs a display and none is set; run it under Xvfb instead: xvfb-run -a -s '-screen 0 1024x768x24' $(BUILD)/mohrwalk"; \
		exit 1; \
	fi
	$(BUILD)/mohrwalk

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer, in its own build folder.
asan-test: deps
	@[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DMOHRWALK_WERROR=ON -DMOHRWALK_SANITIZE=ON
	cmake --build $(ASAN_BUILD)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

bench: deps
	@[ -f $(BENCH_BUILD)/build.ninja ] || cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DMOHRWALK_BENCH=ON
	cmake --build $(BENCH_BUILD)
	bench/run $(BENCH_BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD)
