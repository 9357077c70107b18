# Two commands for a fresh Debian 12 machine: `make run` and `make test`.
# Both install what scripts/deps.txt lists (as root or through sudo) first.

JOBS ?= $(shell nproc)
BUILD_DIR := build/dev
ASAN_DIR := build/asan
CMAKE_FLAGS ?=

FUZZ_SECONDS ?= 60

.PHONY: all deps configure build run test test-asan format format-check bench fuzz hardening \
  screenshot dist install package windows test-windows screenshot-windows \
  package-windows clean

# An optimised build without tests or benchmarks, for installing and packaging.
DIST_DIR := build/dist
PREFIX ?= /usr/local

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset dev $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

test: build
	@QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) -j $(JOBS) --output-on-failure

test-asan: deps
	@cmake --preset asan $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_DIR) -j $(JOBS) --output-on-failure

bench: deps
	@cmake --preset release $(CMAKE_FLAGS) >/dev/null
	@cmake --build build/release -j $(JOBS)

# Every fuzzer of tests/fuzz for FUZZ_SECONDS each, from its seed corpus.
fuzz: deps
	@cmake -S . -B build/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVICK_FUZZ=ON -DMORVICK_BUILD_GUI=OFF \
	  -DMORVICK_BUILD_TESTS=OFF -DMORVICK_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build build/fuzz -j $(JOBS)
	@bash scripts/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

# Faults, crashes and scale at full size, one summary line per case (run as root
# for the permission cases and the small mounted file system).
hardening: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target hardening_tests morvick-cli
	@bash scripts/run-hardening.sh $(BUILD_DIR)

# A picture of the main window after an investigation of a generated sample folder.
screenshot: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target morvick_screenshot
	@xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD_DIR)/app/morvick_screenshot data/help/main-window.png
	@echo "data/help/main-window.png"

dist: deps
	@cmake -S . -B $(DIST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVICK_BUILD_TESTS=OFF \
	  -DMORVICK_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(DIST_DIR) -j $(JOBS)

# morvick, morvick-cli, the help, the presets, the menu entry, the icons, the
# AppStream metadata, the manual pages and the shell completions below PREFIX
# (default /usr/local).
install: dist
	@cmake --install $(DIST_DIR) --prefix $(PREFIX)

# A Debian package of the same files, installed below /usr, checked by lintian,
# appstreamcli and desktop-file-validate.
package: dist
	@rm -f $(DIST_DIR)/morvick_*.deb
	@cd $(DIST_DIR) && cpack -G DEB
	@bash scripts/check-package.sh $(DIST_DIR)

# The core, the Win32 window morvick.exe, morvick-cli.exe and the tests for
# 64-bit Windows, cross-built with MinGW-w64 and linked statically (build/windows).
windows:
	@bash scripts/install-deps.sh scripts/deps-windows.txt
	@cmake --preset windows $(CMAKE_FLAGS) >/dev/null
	@cmake --build build/windows -j $(JOBS)

# Those tests under Wine, headless, the Win32 window's tests on an X server of
# their own, then a plan, move and undo round trip of morvick-cli.exe on a
# folder with Japanese names.
test-windows: windows
	@bash scripts/test-windows.sh build/windows

# A picture of the Win32 window under Wine after an investigation of a
# generated sample folder (build/windows/main-window.png).
screenshot-windows: windows
	@bash scripts/screenshot-windows.sh build/windows

# morvick.exe, morvick-cli.exe, the shipped presets and the licence as one
# zip (build/windows/morvick-VERSION-win64.zip), then its checks.
package-windows: windows
	@bash scripts/package-windows.sh build/windows

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	@rm -rf build
