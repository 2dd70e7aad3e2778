# Tolvo and Muffin Meltdown: the one entry point for building, testing and playing.
# Every target that builds first installs missing Debian packages (as root) or prints the
# line to run (tools/deps.sh with the groups it needs), then configures and builds each
# folder through cmake_build below. The comment above each target says what it runs.

JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
DEPS    := tools/deps.sh
PYTHON  := /usr/bin/python3
CMAKE_FLAGS ?=

# The build folders and their configurations.
BUILD         := build
TESTDIR       := build-test
WINDOWS       := build-windows
WEB           := build-web
BENCH_BUILD   := build-bench
FUZZ_BUILD    := build-fuzz
RELEASE_BUILD := build-release
DIST          := dist

# build/ has one configuration whichever target made it: tests on (they are left out,
# with a warning, where GoogleTest is not installed, as after `make play` on a new machine).
NATIVE_CONFIG  = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVO_TESTS=ON $(CMAKE_FLAGS)
TEST_CONFIG    = -DCMAKE_BUILD_TYPE=Debug -DTOLVO_SANITIZE=ON $(CMAKE_FLAGS)
WINDOWS_CONFIG = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	-DTOLVO_TESTS=OFF
WEB_CONFIG     = -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake -DCMAKE_BUILD_TYPE=Release
BENCH_CONFIG   = -DCMAKE_BUILD_TYPE=Release -DTOLVO_TESTS=OFF $(CMAKE_FLAGS)
FUZZ_CONFIG    = -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVO_SANITIZE=ON -DTOLVO_FUZZ=ON \
	-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link $(CMAKE_FLAGS)
# The same bytes wherever the tree is checked out.
RELEASE_CONFIG = -DCMAKE_BUILD_TYPE=Release -DTOLVO_TESTS=OFF \
	"-DCMAKE_C_FLAGS=-ffile-prefix-map=$(CURDIR)=." \
	"-DCMAKE_CXX_FLAGS=-ffile-prefix-map=$(CURDIR)=."

# $(call cmake_build,FOLDER,CONFIGURATION,TARGETS): configures FOLDER (quietly) and builds
# TARGETS there, or everything when TARGETS is empty.
define cmake_build
	@cmake -S . -B $(1) $(2) >/dev/null
	@cmake --build $(1) -j $(JOBS)$(if $(strip $(3)), --target $(3))
endef

# Keep the builds' own make from announcing every directory it enters; the builds share
# folders and run their own jobs (JOBS), so targets run one at a time.
MAKEFLAGS += --no-print-directory
.NOTPARALLEL:

.PHONY: all build test play demo windows windows-zip web play-web web-zip e2e e2e-release \
	bench fuzz soak release release-test install engine-install starter-test format clean \
	clean-release docs examples examples-web

all: build

# build: everything, tests included, in build/.
build:
	@$(DEPS) build art test
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG))

# test: a sanitizer build of everything in build-test/, then every test there (unit,
# scenario and end-to-end on the headless host) through ctest.
test:
	@$(DEPS) build art test
	$(call cmake_build,$(TESTDIR),$(TEST_CONFIG))
	@cd $(TESTDIR) && ctest --output-on-failure --no-tests=error -j $(JOBS) --timeout 600

# play: only what playing needs (the game and its art, so a new machine gets no test
# packages), then tools/demo/play.sh: the game in a window at 60 frames a second; with
# no display, the demo played headless and written to build/demo/ (demo.gif and
# contact-sheet.png).
play:
	@$(DEPS) build art play
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),muffins art)
	@tools/demo/play.sh $(BUILD) play

# demo: as play, with the built-in demo in a window as an attract mode (headless without
# a display).
demo:
	@$(DEPS) build art play
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),muffins art)
	@tools/demo/play.sh $(BUILD) demo

# windows: muffins.exe cross-built with mingw-w64 in build-windows/ (static runtime,
# windowed entry), Images/ and Sounds/ beside it.
windows:
	@$(DEPS) windows art
	$(call cmake_build,$(WINDOWS),$(WINDOWS_CONFIG),muffins art)
	@echo "windows: $(WINDOWS)/muffins.exe and $(WINDOWS)/Images/"

# windows-zip: the Windows build with its launcher ("Muffin Meltdown.exe"), packed by
# tools/release/archive.py into build-windows/muffin-meltdown-windows.zip, the same files
# as the release's Windows archive.
windows-zip:
	@$(DEPS) windows art
	$(call cmake_build,$(WINDOWS),$(WINDOWS_CONFIG),muffins art launcher)
	@$(PYTHON) tools/release/archive.py windows $(WINDOWS)

# web: the game as a static web site in build-web/ (Emscripten, Asyncify), made by
# make_site.py: index.html, muffins.js, muffins.wasm, the pictures and sounds as
# game-files.tar.gz, demo.script, and what installs it and keeps it offline (the manifest,
# its icons and the service worker).
WEB_PORT ?= 8000
web: export NODE_PATH = /usr/share/nodejs
web:
	@$(DEPS) web art
	$(call cmake_build,$(WEB),$(WEB_CONFIG),muffins art web-icons)
	@$(PYTHON) engine/platform/hosts/web/make_site.py --build $(WEB) --pack $(WEB)/Images \
		--pack $(WEB)/Sounds --script tools/demo/demo.script --icons $(WEB)/Icons/web

# play-web: make web, then Python's http.server serving the site on this machine only,
# for a browser here (Ctrl+C stops it).
play-web: web
	@echo "play-web: open http://127.0.0.1:$(WEB_PORT)/ (the demo: http://127.0.0.1:$(WEB_PORT)/?script=demo.script); Ctrl+C stops"
	@cd $(WEB) && $(PYTHON) -m http.server --bind 127.0.0.1 $(WEB_PORT)

# web-zip: make web, then tools/release/archive.py: the site as one reproducible zip
# file for any static host, build-web/muffin-meltdown-web.zip (the release's web archive).
web-zip: web
	@$(PYTHON) tools/release/archive.py web $(WEB)

# e2e: first make e2e-release (make release, then the release archive checks for Windows
# and web), then the end-to-end harness (python3 -m tests.e2e): the Windows build under
# Wine, the SDL build and the web build in headless Chromium, on throw-away Xvfb
# screens, with real keys; results in build/e2e/.
e2e: e2e-release windows web
	@$(DEPS) build art test windows e2e web
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),muffins tolvo-tif art sdl-frame-intervals)
	@timeout -k 20 1200 $(PYTHON) -m tests.e2e \
		--native $(BUILD) --windows $(WINDOWS) --web $(WEB) --out $(BUILD)/e2e

# e2e-release: make release, then python3 -m tests.e2e.release on the Windows archive
# under Wine (started through its launcher) and the web archive in headless Chromium.
e2e-release: release
	@$(DEPS) build art test windows e2e release
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),muffins tolvo-tif art)
	@timeout -k 20 900 $(PYTHON) -m tests.e2e.release --dist $(DIST) \
		--native $(BUILD) --release-build $(RELEASE_BUILD) --windows-build $(WINDOWS) \
		--out $(BUILD)/release-test --only windows --only web

# bench: a Release build of the engine, the game and tolvo-bench (Google Benchmark,
# SDL2, pixman, libtiff) in build-bench/, then tolvo-bench: each goal's ratio, and
# build/bench/report.json.
bench:
	@$(DEPS) build art bench
	$(call cmake_build,$(BENCH_BUILD),$(BENCH_CONFIG),tolvo-bench muffins art)
	@mkdir -p $(BUILD)/bench
	@cd $(BENCH_BUILD) && ./tolvo-bench --images Images --muffins ./muffins \
		--json $(CURDIR)/$(BUILD)/bench/report.json $(BENCH_FLAGS)

# fuzz: the libFuzzer targets (clang, ASan + UBSan) in build-fuzz/, then
# tests/fuzz/run_fuzz.sh, FUZZ_SECONDS per target; any crashing input is kept under
# tests/fuzz/regressions/ and replayed by make test.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fuzz_tiff fuzz_text art image_tool_pictures fuzz_wav wave_tool_files
fuzz:
	@$(DEPS) build art test fuzz
	$(call cmake_build,$(FUZZ_BUILD),$(FUZZ_CONFIG),$(FUZZ_TARGETS))
	@tests/fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# soak: the game in build/, then tests/program/soak.py: a million frames of seeded random
# input on the headless host, unpaced, with 200 or more restarts: trace values in range,
# flat resident size, exit code 0.
SOAK_FRAMES ?= 1000000
SOAK_SEED   ?= 1
soak:
	@$(DEPS) build art
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),muffins art)
	@$(PYTHON) tests/program/soak.py --program $(BUILD)/muffins --images $(BUILD)/Images \
		--frames $(SOAK_FRAMES) --seed $(SOAK_SEED) --min-restarts 200 --rss-growth-mb 8

# release: make web, then the archives a player downloads, in dist/ with SHA256SUMS, the
# same bytes from the same commit, written by tools/release/make_release.py: Linux (a
# Release build in build-release/ from a clean configuration, installed stripped into
# its stage/ and packed with Images/ and Sounds/), Windows (build-windows/ with the
# launcher, as make windows-zip packs it) and the web site of make web.
release: web
	@rm -rf $(RELEASE_BUILD)  # from a clean configuration, whatever an earlier one cached
	@$(DEPS) build art windows
	$(call cmake_build,$(RELEASE_BUILD),$(RELEASE_CONFIG),muffins art icons)
	@cmake --install $(RELEASE_BUILD) --prefix $(CURDIR)/$(RELEASE_BUILD)/stage --strip >/dev/null
	$(call cmake_build,$(WINDOWS),$(WINDOWS_CONFIG),muffins art launcher)
	@$(PYTHON) tools/release/make_release.py --linux $(RELEASE_BUILD) --windows $(WINDOWS) \
		--web $(WEB) --out $(DIST)

# release-test: make release, then python3 -m tests.e2e.release on the archives as a
# player meets them (unpacked into an empty folder, an empty HOME, started from /) and
# the install from a temporary prefix: the Linux game plays the demo to the build
# tree's trace. make e2e adds the Windows and web archives.
release-test: release
	@$(DEPS) build art release
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),muffins art)
	@timeout -k 20 900 $(PYTHON) -m tests.e2e.release --dist $(DIST) \
		--native $(BUILD) --release-build $(RELEASE_BUILD) --out $(BUILD)/release-test \
		--only archives --only linux --only install

# install: the Release build in build-release/, then cmake --install: the game in the
# standard Linux places under PREFIX (DESTDIR is honoured): bin/, share/muffin-meltdown/,
# the desktop entry, icons and AppStream metainfo.
PREFIX ?= /usr/local
install:
	@$(DEPS) build art
	$(call cmake_build,$(RELEASE_BUILD),$(RELEASE_CONFIG),muffins art icons)
	@cmake --install $(RELEASE_BUILD) --prefix $(PREFIX) --strip

# engine-install: the engine built in build/ (target tolvo-package), then cmake --install
# of its component engine under PREFIX: include/tolvo/, lib/libtolvo_*.a, lib/cmake/Tolvo/
# (find_package(Tolvo), tolvo_add_game), lib/pkgconfig/tolvo.pc, bin/tolvo-tif and
# share/tolvo/. A game on it: templates/starter/.
engine-install:
	@$(DEPS) build
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),tolvo-package)
	@cmake --install $(BUILD) --component engine --prefix $(PREFIX)

# starter-test: the engine built for Linux (build/), Windows (build-windows/) and the web
# (build-web/), then tests/starter/check.sh: each installed into its own prefix under
# build/starter-test/, and the starter (templates/starter) built out of the tree against
# each: with find_package(Tolvo) and its headless test, with pkg-config and one compiler
# command, for Windows with mingw-w64 and as a web site with Emscripten.
starter-test: export NODE_PATH = /usr/share/nodejs
starter-test:
	@$(DEPS) build windows web
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),tolvo-package)
	$(call cmake_build,$(WINDOWS),$(WINDOWS_CONFIG),tolvo-package)
	$(call cmake_build,$(WEB),$(WEB_CONFIG),tolvo-package)
	@tests/starter/check.sh $(BUILD) $(WINDOWS) $(WEB) $(BUILD)/starter-test

# examples: the six games of examples/ for each toolchain: Linux in build/examples/,
# Windows (mingw-w64, each with its launcher) in build-windows/examples/, the web
# (Emscripten, a site each) in build-web/examples/. make test plays the Linux ones.
examples: export NODE_PATH = /usr/share/nodejs
examples:
	@$(DEPS) build art windows web
	$(call cmake_build,$(BUILD),$(NATIVE_CONFIG),examples)
	$(call cmake_build,$(WINDOWS),$(WINDOWS_CONFIG),examples)
	$(call cmake_build,$(WEB),$(WEB_CONFIG),examples)

# examples-web: the examples' web builds, then examples/make_gallery.py: one page,
# build-web/examples/index.html, with a screenshot of each that opens it in the page;
# then python3 -m tests.e2e.examples opens each one from it in headless Chromium
# (pictures of the gallery in build/examples-web/).
examples-web: export NODE_PATH = /usr/share/nodejs
examples-web:
	@$(DEPS) web art test
	$(call cmake_build,$(WEB),$(WEB_CONFIG),examples)
	@$(PYTHON) examples/make_gallery.py --sites $(WEB)/examples
	@timeout -k 20 600 $(PYTHON) -m tests.e2e.examples --sites $(WEB)/examples \
		--out $(BUILD)/examples-web

# docs: the engine's API reference in build/docs/html/, made by Doxygen from the public
# headers' comments (docs/engine/Doxyfile); a warning (a public function without its
# comment, a broken reference) fails it.
docs:
	@$(DEPS) docs
	@mkdir -p $(BUILD)/docs
	@TOLVO_DOCS_OUT=$(BUILD)/docs doxygen docs/engine/Doxyfile
	@echo "docs: $(BUILD)/docs/html/index.html"

# format: clang-format over the C++ and the JavaScript git knows.
format:
	@git ls-files '*.cpp' '*.h' '*.js' | xargs clang-format -i

# clean-release: removes the release build and dist/.
clean-release:
	rm -rf $(RELEASE_BUILD) $(DIST)

# clean: make clean-release, then removes every other build folder.
clean: clean-release
	rm -rf $(BUILD) $(TESTDIR) $(WINDOWS) $(WEB) $(BENCH_BUILD) $(FUZZ_BUILD)
