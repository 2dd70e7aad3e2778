# Tolvo and Muffin Meltdown: the one entry point for building, testing and playing.
# Every target first installs missing Debian packages (as root) or prints the line to run.

JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
BUILD   := build
TESTDIR := build-test
DEPS    := tools/deps.sh
CMAKE_FLAGS ?=

# Keep the builds' own make from announcing every directory it enters.
MAKEFLAGS += --no-print-directory

.PHONY: all build test play demo windows windows-zip e2e bench fuzz soak format clean \
	web play-web web-zip
.PHONY: release release-test e2e-release install clean-release

all: build

# build/ has one configuration whichever target made it: tests on (they are left out,
# with a warning, where GoogleTest is not installed, as after `make play` on a new machine).
NATIVE_CONFIG = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVO_TESTS=ON $(CMAKE_FLAGS)

# Everything, tests included, in build/.
build:
	@$(DEPS) build art test
	@cmake -S . -B $(BUILD) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# Sanitizer build of everything, then every test (unit, scenario and end-to-end on the headless host).
test:
	@$(DEPS) build art test
	@cmake -S . -B $(TESTDIR) -DCMAKE_BUILD_TYPE=Debug -DTOLVO_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TESTDIR) -j $(JOBS)
	@cd $(TESTDIR) && ctest --output-on-failure --no-tests=error -j $(JOBS) --timeout 600

# Only what playing needs, the game and its art, so a new machine gets no test packages.
define build_game
	@$(DEPS) build art play
	@cmake -S . -B $(BUILD) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target muffins art
endef

# The game in a window at 60 frames a second; with no display, the demo played headless
# and written to build/demo/ (demo.gif and contact-sheet.png).
play:
	$(build_game)
	@tools/demo/play.sh $(BUILD) play

# The built-in demo in a window as an attract mode (headless without a display, as play).
demo:
	$(build_game)
	@tools/demo/play.sh $(BUILD) demo

# muffins.exe cross-built with mingw-w64 (static runtime, windowed entry), Images/ beside it.
windows:
	@$(DEPS) windows art
	@cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
		-DCMAKE_BUILD_TYPE=Release -DTOLVO_TESTS=OFF >/dev/null
	@cmake --build build-windows -j $(JOBS) --target muffins art
	@echo "windows: build-windows/muffins.exe and build-windows/Images/"

# The Windows build with its launcher, packed as the release's Windows archive.
windows-zip: windows
	@cmake --build build-windows -j $(JOBS) --target launcher
	@/usr/bin/python3 tools/release/archive.py windows build-windows

# The Windows build under Wine and the SDL build, on throw-away Xvfb screens, with real keys.
e2e:
	@$(DEPS) build art test windows e2e web
	@cmake -S . -B $(BUILD) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target muffins tolvo-tif art
	@cmake --build $(BUILD) -j $(JOBS) --target sdl-frame-intervals
	@$(MAKE) --no-print-directory windows
	@$(MAKE) --no-print-directory web
	@timeout -k 20 1200 /usr/bin/python3 tests/e2e/run_e2e.py \
		--native $(BUILD) --windows build-windows --web $(WEB) --out $(BUILD)/e2e

# The game as a static web site in build-web/ (Emscripten, Asyncify): index.html,
# muffins.js, muffins.wasm, the pictures and sounds as game-files.tar.gz, and demo.script.
WEB      := build-web
WEB_PORT ?= 8000
web:
	@$(DEPS) web art
	@cmake -S . -B $(WEB) -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
		-DCMAKE_BUILD_TYPE=Release >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB) -j $(JOBS) --target muffins art
	@/usr/bin/python3 engine/platform/hosts/web/make_site.py --build $(WEB) --pack $(WEB)/Images \
		--pack $(WEB)/Sounds --script tools/demo/demo.script

# The site on this machine only, for a browser here (Ctrl+C stops it).
play-web: web
	@echo "play-web: open http://127.0.0.1:$(WEB_PORT)/ (the demo: http://127.0.0.1:$(WEB_PORT)/?script=demo.script); Ctrl+C stops"
	@cd $(WEB) && /usr/bin/python3 -m http.server --bind 127.0.0.1 $(WEB_PORT)

# The site as one reproducible zip file, for any static host (the release's web archive).
web-zip: web
	@/usr/bin/python3 tools/release/archive.py web $(WEB)

# Release build of the engine, the game and tolvo-bench (Google Benchmark, SDL2, pixman,
# libtiff); prints each goal's ratio and writes build/bench/report.json.
bench:
	@$(DEPS) build art bench
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOLVO_TESTS=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-bench -j $(JOBS) --target tolvo-bench muffins art
	@mkdir -p $(BUILD)/bench
	@cd build-bench && ./tolvo-bench --images Images --muffins ./muffins \
		--json $(CURDIR)/$(BUILD)/bench/report.json $(BENCH_FLAGS)

# libFuzzer targets (clang, ASan + UBSan) in build-fuzz/, FUZZ_SECONDS per target; any
# crashing input is kept under tests/fuzz/regressions/ and replayed by make test.
FUZZ_SECONDS ?= 60
FUZZ_BUILD   := build-fuzz
fuzz:
	@$(DEPS) build art test fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVO_SANITIZE=ON -DTOLVO_FUZZ=ON \
		-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_tiff fuzz_text art image_tool_pictures \
		fuzz_wav wave_tool_files
	@tests/fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# A million frames of seeded random input on the headless host, unpaced, with 200 or
# more restarts: trace values in range, flat resident size, exit code 0.
SOAK_FRAMES ?= 1000000
SOAK_SEED   ?= 1
soak:
	@$(DEPS) build art
	@cmake -S . -B $(BUILD) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target muffins art
	@/usr/bin/python3 tests/program/soak.py --program $(BUILD)/muffins --images $(BUILD)/Images \
		--frames $(SOAK_FRAMES) --seed $(SOAK_SEED) --min-restarts 200 --rss-growth-mb 8

# The archives a player downloads, in dist/ with SHA256SUMS, the same bytes from the same
# commit: Linux (a Release build in build-release/, installed stripped into its stage/
# and packed with Images/ and Sounds/), Windows (build-windows/ with the launcher) and
# the web site of make web, where this Makefile has it.
RELEASE_BUILD := build-release
RELEASE_FLAGS := -DCMAKE_BUILD_TYPE=Release -DTOLVO_TESTS=OFF \
	"-DCMAKE_C_FLAGS=-ffile-prefix-map=$(CURDIR)=." \
	"-DCMAKE_CXX_FLAGS=-ffile-prefix-map=$(CURDIR)=."
define build_release
	@$(DEPS) build art
	@cmake -S . -B $(RELEASE_BUILD) $(RELEASE_FLAGS) >/dev/null
	@cmake --build $(RELEASE_BUILD) -j $(JOBS) --target muffins art icons
endef

release:
	@rm -rf $(RELEASE_BUILD)  # from a clean configuration, whatever an earlier one cached
	$(build_release)
	@rm -rf $(RELEASE_BUILD)/stage
	@cmake --install $(RELEASE_BUILD) --prefix $(CURDIR)/$(RELEASE_BUILD)/stage --strip >/dev/null
	@$(MAKE) --no-print-directory windows
	@cmake --build build-windows -j $(JOBS) --target launcher
	@web=""; if grep -Eq '^web[[:space:]]*:' Makefile; then \
		$(MAKE) --no-print-directory web && web="--web build-web"; \
	else echo "release: this tree has no 'make web' yet, so no web archive"; fi; \
	/usr/bin/python3 tools/release/make_release.py --linux $(RELEASE_BUILD) \
		--windows build-windows $$web --out dist

# The archives checked as a player meets them (unpacked into an empty folder, an empty
# HOME, started from /) and the install checked from a temporary prefix: the Linux game
# plays the demo to the build tree's trace. make e2e adds the Windows archive under Wine
# and the web archive in headless Chromium.
release-test: release
	@$(DEPS) build art release
	@cmake -S . -B $(BUILD) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target muffins art
	@timeout -k 20 900 /usr/bin/python3 tests/e2e/release/check_release.py --dist dist \
		--native $(BUILD) --release-build $(RELEASE_BUILD) --out $(BUILD)/release-test \
		--only archives --only linux --only install

e2e: e2e-release
e2e-release: release
	@$(DEPS) build art test windows e2e release
	@cmake -S . -B $(BUILD) $(NATIVE_CONFIG) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target muffins tolvo-tif art
	@timeout -k 20 900 /usr/bin/python3 tests/e2e/release/check_release.py --dist dist \
		--native $(BUILD) --release-build $(RELEASE_BUILD) --windows-build build-windows \
		--out $(BUILD)/release-test --only windows --only web

# The game in the standard Linux places under PREFIX (DESTDIR is honoured): bin/,
# share/muffin-meltdown/, the desktop entry, icons and AppStream metainfo.
PREFIX ?= /usr/local
install:
	$(build_release)
	@cmake --install $(RELEASE_BUILD) --prefix $(PREFIX) --strip

clean: clean-release
clean-release:
	rm -rf $(RELEASE_BUILD) dist

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TESTDIR) build-windows build-bench $(FUZZ_BUILD) $(WEB)
