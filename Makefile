# Kalmora: `make run` and `make test` install what is missing, build and go.
BUILD ?= build
DEMO ?= demo
CMAKE_FLAGS ?=

.PHONY: deps configure build check test run screenshots sanitize bench load clean

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

# Sets up a demo installation (kept between runs; on first use with a generated department file
# imported) and starts the program on it. Without a display the batch tool shows the settings and
# imports the demo file afresh instead.
run: build
	@$(CLI) setup $(DEMO) | grep -v '^unverändert' || true
	@if [ -z "$$(ls -A $(DEMO)/import)" ] && $(CLI) generate $(DEMO)/import >/dev/null 2>&1; then \
		fresh=1; echo "Demo-Importdatei erzeugt, Import:"; $(CLI) --ini $(DEMO_INI) import --yes $(DEMO)/import/*; \
	fi; \
	if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then exec $(BUILD)/src/kalmora "/i:$(DEMO_INI)"; fi; \
	echo "Kein Bildschirm (DISPLAY und WAYLAND_DISPLAY sind leer): die Demo läuft mit kalmora-cli."; \
	$(CLI) --ini $(DEMO_INI) settings; \
	if [ -z "$$fresh" ] && [ -n "$$(ls -A $(DEMO)/import)" ]; then \
		echo "Import:"; $(CLI) --ini $(DEMO_INI) import --initialise --yes $(DEMO)/import/*; \
	fi

# One picture per window in $(BUILD)/screenshots, drawn offscreen on the demo settings.
screenshots: build
	@$(CLI) setup $(DEMO) >/dev/null
	@cmake --build $(BUILD) --target kalmora-screenshots -j2 >/dev/null
	@QT_QPA_PLATFORM=offscreen $(BUILD)/src/kalmora-screenshots $(BUILD)/screenshots "/i:$(DEMO_INI)"

# Every test, the windows' too, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) --no-print-directory check BUILD=build-sanitize-all CMAKE_FLAGS=-DKALMORA_SANITIZE=ON

# Import throughput on a generated department file (BENCH_STAYS stays) and classification time of a
# department with BENCH_DAYS survey days, in a release build.
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

clean:
	rm -rf $(BUILD) build-sanitize build-sanitize-all
