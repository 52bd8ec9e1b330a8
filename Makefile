# Thin wrappers; CMake does the building. See README.md.
JOBS ?= 2
# -noreset: by default the server starts over whenever its last client leaves, and a test
# process connecting during that restart is dropped ("Failed to open X11 display").
XVFB := xvfb-run -a -s "-screen 0 1024x768x24 -noreset"
# Tools that draw need a display; use the real one when there is one.
WITH_DISPLAY := $(if $(DISPLAY),,$(XVFB))
# The benchmarks show full-HD windows: a screen that holds them.
BENCH_DISPLAY := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")

.PHONY: deps run build release package package-check options test test-long asan fuzz bench assets levels replays clean

deps:
	@scripts/install-deps

release: deps
	@cmake --preset release >/dev/null
	@cmake --build build/release -j$(JOBS) --target morvane

run: release
	./build/release/morvane

# A Debian package of the Release build in build/release/ (see README.md to install it).
package: release
	@cmake --build build/release -j$(JOBS) --target morvane_docs
	cd build/release && cpack -G DEB

# The package as Debian's tools see it: lintian with no error or warning, the menu entry, the
# AppStream data, and one version throughout (scripts/check-package).
package-check: package
	scripts/check-package build/release

build: deps
	@cmake --preset default >/dev/null
	@cmake --build build/default -j$(JOBS)

# No reruns: the test processes that could not reach the X server now and then were caught
# in its restart after the previous process left (see -noreset above). Without it two
# streams of short-lived clients saw 17 refusals in 600 connections; with it none.
test: build
	cd build/default && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS)

# Ten games played at a person's pace, one after another (several minutes).
test-long: build
	cd $(CURDIR) && ALSOFT_DRIVERS=null $(XVFB) build/default/tests/morvane_tests \
	  --gtest_also_run_disabled_tests --gtest_filter='HumanPlaythroughLong.*'

# These sanitizer runtimes take the allocator's chunk header for the size of a dynamic TLS block that
# starts 16 bytes into a page (now and then the GL driver's LLVM gets one), and the leak checker's
# tracer dies scanning that ("Tracer caught signal 11"). Other blocks they never size at all.
SAN_OPTIONS := intercept_tls_get_addr=0

# The leak check runs at the end of main in the test and game binaries (see tests/test_main.cpp);
# a hung test fails after 15 minutes instead of holding up CI.
asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build/asan -j$(JOBS)
	cd build/asan && ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=1:$(SAN_OPTIONS) LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp $(XVFB) ctest --output-on-failure -j$(JOBS) --timeout 900

# libFuzzer runs (clang): each target for FUZZ_SECONDS from its committed seeds. New inputs
# go to build/fuzz/corpus-*, anything that breaks to build/fuzz/crash-*.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := zone zonefile editor settings recovery
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build build/fuzz -j$(JOBS)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(CURDIR)/build/fuzz/corpus-$$t && \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s" && \
	  log=$(CURDIR)/build/fuzz/fuzz_$$t.log; \
	  if ! ALSOFT_DRIVERS=null ASAN_OPTIONS=$(SAN_OPTIONS) LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp $(XVFB) \
	    build/fuzz/fuzz/fuzz_$$t $(CURDIR)/build/fuzz/corpus-$$t $(CURDIR)/fuzz/corpus/$$t \
	    -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
	    -artifact_prefix=$(CURDIR)/build/fuzz/crash-$$t- >$$log 2>&1; then tail -n 60 $$log; exit 1; fi; \
	  tail -n 12 $$log; \
	done

# Release build of the benchmark scenarios; prints the table of plain and fast medians.
bench: deps
	@cmake --preset release >/dev/null
	@cmake --build build/release -j$(JOBS) --target morvane_bench
	cd $(CURDIR) && ALSOFT_DRIVERS=null $(BENCH_DISPLAY) build/release/bench/morvane_bench

assets: build
	cd $(CURDIR) && ALSOFT_DRIVERS=null $(WITH_DISPLAY) build/default/tools/audiogen
	cd $(CURDIR) && $(WITH_DISPLAY) build/default/tools/artgen

# Never over a level changed since its text last built it (levels/built.sums says what that
# was): each such file gets a line and nothing is built over it. FORCE=1 builds over them.
levels: deps
	@cmake --preset default >/dev/null
	@cmake --build build/default -j$(JOBS) --target zonetool
	@status=0; for f in levels/*.txt; do \
	  build/default/tools/zonetool build $$f -o resources/lvl/$$(basename $$f .txt).zn \
	    --record levels/built.sums $(if $(FORCE),--force) || status=1; \
	done; exit $$status
	@build/default/tools/zonetool check resources/lvl/*.zn

# tests/replays/ recorded anew by the bot, after a change to the game's play on purpose; the
# diff of their checkpoints shows in review.
replays: build
	cd $(CURDIR) && ALSOFT_DRIVERS=null $(WITH_DISPLAY) build/default/tests/morvane_replays tests/replays

# The options table of src/app/commandline.cpp into the README and the manual page.
options: deps
	@cmake --preset default >/dev/null
	@cmake --build build/default -j$(JOBS) --target optiondoc
	build/default/tools/optiondoc README.md packaging/morvane.6

clean:
	rm -rf build
