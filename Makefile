# make run   - install what is missing, build, start the tool against the simulated controller
# make test  - install what is missing, build, run every test
# make bench - build and run the benchmarks
BUILD ?= build
JOBS  ?= 2
LOCK  := /tmp/vx5x-build.lock

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	@flock $(LOCK) cmake --build $(BUILD) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found. Start the tool under a virtual display instead:"; \
	  echo "    xvfb-run -a make run"; exit 1; fi
	cd $(BUILD)/bin && ASAN_OPTIONS=detect_leaks=0 ./vx5x-tool --simulate

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Benchmarks measure an optimised build without sanitizers, in a folder of their own.
BENCH_BUILD ?= build-bench
bench: deps
	@[ -f $(BENCH_BUILD)/CMakeCache.txt ] || cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVX_SANITIZE=OFF
	@flock $(LOCK) cmake --build $(BENCH_BUILD) -j$(JOBS)
	@found=; for b in $(BENCH_BUILD)/bin/bench_*; do [ -x "$$b" ] || continue; found=1; echo "== $$b"; \
	  (cd $(BENCH_BUILD)/bin && QT_QPA_PLATFORM=offscreen ./$$(basename $$b)); done; \
	 [ -n "$$found" ] || echo "No benchmarks built yet."

clean:
	rm -rf $(BUILD)
