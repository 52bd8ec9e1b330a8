# Thin wrappers; CMake does the building. See README.md.
JOBS ?= 2
XVFB := xvfb-run -a -s "-screen 0 1024x768x24"
# Tools that draw need a display; use the real one when there is one.
WITH_DISPLAY := $(if $(DISPLAY),,$(XVFB))

.PHONY: deps run build release test asan bench assets levels clean

deps:
	@scripts/install-deps

release: deps
	@cmake --preset release >/dev/null
	@cmake --build build/release -j$(JOBS) --target morvane

run: release
	./build/release/morvane

build: deps
	@cmake --preset default >/dev/null
	@cmake --build build/default -j$(JOBS)

test: build
	cd build/default && ALSOFT_DRIVERS=null $(XVFB) ctest --output-on-failure -j$(JOBS)

asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build build/asan -j$(JOBS)
	cd build/asan && ALSOFT_DRIVERS=null ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp $(XVFB) ctest --output-on-failure -j$(JOBS)

assets: build
	cd $(CURDIR) && ALSOFT_DRIVERS=null $(WITH_DISPLAY) build/default/tools/audiogen
	cd $(CURDIR) && $(WITH_DISPLAY) build/default/tools/artgen

levels: deps
	@cmake --preset default >/dev/null
	@cmake --build build/default -j$(JOBS) --target zonetool
	@for f in levels/*.txt; do build/default/tools/zonetool build $$f -o resources/lvl/$$(basename $$f .txt).zn || exit 1; done
	@build/default/tools/zonetool check resources/lvl/*.zn

clean:
	rm -rf build
