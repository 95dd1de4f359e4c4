# make run   - install what is missing, build optimised, start the tool against the simulated controller
# make test  - install what is missing, build (sanitizers), run every test
# make package       - the Debian packages, from the optimised build (build-run/package/)
# make package-check - build the packages and check them without installing them
# make bench - build and run the benchmarks
# make screenshots - the user guide's pictures, from the real windows (docs/img)
# make lint  - clang-format check and clang-tidy (LINT=--changed: changed files only)
# make ci    - what CI runs (.ci/run): lint of the changed files, make test, the packages
BUILD ?= build
JOBS  ?= 2
# One build at a time per checkout (two cores do not gain from two); another checkout
# builds on its own. A build that has to wait says so once.
LOCK  ?= $(CURDIR)/.build.lock
LOCKED = sh -c 'flock -n -E 75 "$$0" "$$@"; rc=$$?; [ $$rc -ne 75 ] && exit $$rc; \
  echo "waiting for another build of this checkout..." >&2; exec flock "$$0" "$$@"' $(LOCK)

.PHONY: all deps configure build run run-build package package-check test tsan bench lint ci format clean screenshots

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug $(CCACHE)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	@$(LOCKED) cmake --build $(BUILD) -j$(JOBS)

# The tool as a user gets it: optimised, no sanitizers, in a folder of its own; the
# package is made from the same build.
RUN_BUILD ?= build-run
CCACHE := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
run-build: deps
	@[ -f $(RUN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(RUN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVX_SANITIZE=OFF -DVX_WERROR=OFF $(CCACHE) >/dev/null
	@targets="vx5x-tool vx5x-sim vx_data vx_changelog"; help=$$(cmake --build $(RUN_BUILD) --target help); \
	  for t in vx5x vx_man; do echo "$$help" | grep -q "\.\.\. $$t$$" && targets="$$targets $$t"; done; \
	  $(LOCKED) cmake --build $(RUN_BUILD) -j$(JOBS) --target $$targets

run: run-build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found. Start the tool under a virtual display instead:"; \
	  echo "    xvfb-run -a make run"; exit 1; fi
	cd $(RUN_BUILD)/bin && ./vx5x-tool --simulate

package: run-build
	@rm -f $(RUN_BUILD)/package/*.deb
	cd $(RUN_BUILD) && cpack -G DEB >/dev/null
	@ls $(RUN_BUILD)/package/*.deb

package-check: package
	bash scripts/package-check.sh $(RUN_BUILD)/package

# Four tests at a time on two cores: they mostly wait on the line (the summed time is
# about four times the wall time). The ten that took longest are listed at the end.
TEST_JOBS ?= 4
test: build
	@bash scripts/lint.sh --format
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(TEST_JOBS) -O Testing/ctest.log; rc=$$?; \
	  echo "Slowest tests:"; \
	  sed -nE 's/.*Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec$$/\2 \1/p' Testing/ctest.log | sort -rn | head -10 | \
	  awk '{ printf "  %7.1f s  %s\n", $$1, $$2 }'; \
	  exit $$rc
	@$(MAKE) --no-print-directory tsan

# The threaded part (serial library and simulator) once more under ThreadSanitizer.
TSAN_BUILD ?= build-tsan
tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVX_SANITIZE=OFF -DVX_TSAN=ON $(CCACHE) >/dev/null
	@targets=$$(cd $(TSAN_BUILD) && cmake --build . --target help | sed -n 's/^\.\.\. \(\(comm\|sim\)_tst_[a-z_0-9]*\).*/\1/p'); \
	  $(LOCKED) cmake --build $(TSAN_BUILD) -j$(JOBS) --target $$targets vx5x-sim
	cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan/suppressions.txt" \
	  ctest --output-on-failure -j$(JOBS) -R '^(comm|sim)_'

# Benchmarks measure an optimised build without sanitizers, in a folder of their own.
BENCH_BUILD ?= build-bench
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVX_SANITIZE=OFF >/dev/null
	@targets=$$(cd $(BENCH_BUILD) && cmake --build . --target help | sed -n 's/^\.\.\. \(bench_[a-z_0-9]*\).*/\1/p'); \
	  $(LOCKED) cmake --build $(BENCH_BUILD) -j$(JOBS) --target $$targets vx5x-sim vx_data
	@found=; for b in $(BENCH_BUILD)/bin/bench_*; do [ -x "$$b" ] || continue; found=1; echo "== $$b"; \
	  (cd $(BENCH_BUILD)/bin && QT_QPA_PLATFORM=offscreen ./$$(basename $$b)); done; \
	 [ -n "$$found" ] || echo "No benchmarks built yet."

LINT ?=
lint: build
	@bash scripts/lint.sh $(LINT)

ci:
	@bash .ci/run

# Formats every source file in place.
format:
	@git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(RUN_BUILD)

# libFuzzer runs of fuzz/fuzz_*.cpp (clang), one target after the other, FUZZ_TIME
# seconds each (FUZZ=rtf for one). New inputs collect in $(FUZZ_BUILD)/corpus; what
# fails lands in $(FUZZ_BUILD)/crashes: copy it to fuzz/regressions/<target>/.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 60
FUZZ ?= $(patsubst fuzz/fuzz_%.cpp,%,$(wildcard fuzz/fuzz_*.cpp))
.PHONY: fuzz
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVX_FUZZ=ON -DVX_WERROR=OFF \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
	@$(LOCKED) cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ))
	@mkdir -p $(FUZZ_BUILD)/crashes
	@for t in $(FUZZ); do echo "== fuzz_$$t ($(FUZZ_TIME) s)"; mkdir -p $(FUZZ_BUILD)/corpus/$$t; \
	  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1 \
	  $(FUZZ_BUILD)/bin/fuzz_$$t -max_total_time=$(FUZZ_TIME) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/crashes/$$t- $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t || exit 1; done

# The user guide's pictures: the real windows offscreen against the simulated
# controller, in every language; the guide test checks docs/img against the table.
screenshots: configure
	@$(LOCKED) cmake --build $(BUILD) -j$(JOBS) --target vx5x-shots vx_data
	@rm -rf $(BUILD)/shots && mkdir -p $(BUILD)/shots
	cd $(BUILD)/bin && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 VX_DATA_DIR=$(CURDIR)/data \
	  ./vx5x-shots $(CURDIR)/$(BUILD)/shots >/dev/null
	@mogrify -strip -define png:compression-level=9 $(BUILD)/shots/*.png
	@rm -f docs/img/*.png && mkdir -p docs/img && cp $(BUILD)/shots/*.png docs/img/
	@ls docs/img | wc -l | xargs echo "pictures in docs/img:"
