# Kalmora: `make run` and `make test` install what is missing, build and go.
BUILD ?= build
DEMO ?= demo
CMAKE_FLAGS ?=

.PHONY: deps configure build check test run screenshots docs package sanitize bench load windows windows-desktop clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j2

# Builds $(BUILD) and runs its tests.
check: build
	@cd $(BUILD) && ctest --output-on-failure -j2

# Every test, then the core tests once more built with AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-sanitize, without the windows).
test: check
	@$(MAKE) --no-print-directory check BUILD=build-sanitize \
		CMAKE_FLAGS="-DKALMORA_SANITIZE=ON -DKALMORA_BUILD_GUI=OFF"

CLI = $(BUILD)/src/kalmora-cli
DEMO_INI = $(abspath $(DEMO))/Kalmora11_0.ini

# Sets up the demo installation (scripts/demo.sh: kept between runs, built anew when it is missing,
# older or of another year) and starts the program on it. Without a display the batch tool shows the
# demo's settings, imports its files afresh and prints its classification instead.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		bash scripts/demo.sh $(CLI) $(DEMO) && exec $(BUILD)/src/kalmora "/i:$(DEMO_INI)"; \
	else \
		echo "Kein Bildschirm (DISPLAY und WAYLAND_DISPLAY sind leer): die Demo läuft mit kalmora-cli."; \
		bash scripts/demo.sh --show $(CLI) $(DEMO); \
	fi

# One picture per window in $(BUILD)/screenshots, drawn offscreen on the demo of `make run`.
screenshots: build
	@bash scripts/demo.sh $(CLI) $(DEMO)
	@cmake --build $(BUILD) --target kalmora-screenshots -j2 >/dev/null
	@QT_QPA_PLATFORM=offscreen $(BUILD)/src/kalmora-screenshots $(BUILD)/screenshots "/i:$(DEMO_INI)"

# The handbook from docs/handbuch with the pictures of `make screenshots`: $(BUILD)/docs/handbuch.html
# (one page, pictures embedded) and $(BUILD)/docs/handbuch.pdf. Installs pandoc and weasyprint.
docs: screenshots
	@bash scripts/docs.sh $(BUILD)

# The Debian package kalmora_VERSION_ARCH.deb in the project folder with the handbook of `make docs`,
# built in $(PACKAGE_BUILD) as a release with Debian's hardening flags, then checked by scripts/check-package.sh (its content,
# desktop-file-validate, appstreamcli validate, lintian).
PACKAGE_BUILD ?= build-package
package: docs
	@bash scripts/install-deps.sh --package
	@DEB_BUILD_MAINT_OPTIONS=hardening=+all; export DEB_BUILD_MAINT_OPTIONS; \
		cmake -S . -B $(PACKAGE_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
		-DKALMORA_PACKAGE=ON -DKALMORA_BUILD_TESTS=OFF -DKALMORA_HANDBOOK_DIR=$(abspath $(BUILD))/docs \
		-DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CPPFLAGS) $$(dpkg-buildflags --get CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j2
	@rm -f $(PACKAGE_BUILD)/kalmora_*.deb
	@cd $(PACKAGE_BUILD) && cpack -G DEB >/dev/null
	@deb=$$(basename $(PACKAGE_BUILD)/kalmora_*.deb) && mv $(PACKAGE_BUILD)/$$deb . && \
		bash scripts/check-package.sh $$deb

# Every test, the windows' too, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) --no-print-directory check BUILD=build-sanitize-all CMAKE_FLAGS=-DKALMORA_SANITIZE=ON

# Import throughput on a generated department file (BENCH_STAYS stays) and classification time of a
# department with BENCH_DAYS survey days, in a release build, the latter also with the check of the
# file, in full and with a remembered verdict.
BENCH_STAYS ?= 100000
BENCH_DAYS ?= 1000000
bench: deps
	@cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	@cmake --build build-release --target bench_import bench_classify -j2
	@build-release/bench/bench_import $(BENCH_STAYS)
	@build-release/bench/bench_classify $(BENCH_DAYS)

# Fifty departments of a year each through import, classification, analysis and export.
load:
	@bash bench/load.sh

# The core, the batch tool and the core tests cross-built for Windows (MinGW-w64, in build-win), the
# tests run under Wine, then the Windows batch tool's results compared with the Linux one's.
windows:
	@bash scripts/windows.sh

# The desktop program for Windows: Qt for Windows built once into ~/.cache/kalmora, the program and
# every test cross-built against it (build-windesk) and run under Wine, the program collected with
# what it needs, kalmora-VERSION-setup.exe made with NSIS, installed and removed under Wine, and three
# screenshots of the installed program.
windows-desktop:
	@bash scripts/windows-desktop.sh

clean:
	rm -rf $(BUILD) build-sanitize build-sanitize-all $(PACKAGE_BUILD) build-win build-windesk
