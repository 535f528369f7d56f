# Kalmora: `make run` and `make test` install what is missing, build and go.
BUILD ?= build
DEMO ?= demo
CMAKE_FLAGS ?=

.PHONY: deps configure build test run sanitize clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j2

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

# Sets up a demo installation (kept between runs) and shows what the program loaded from it.
run: build
	@$(BUILD)/src/kalmora-cli setup $(DEMO)
	@$(BUILD)/src/kalmora-cli --ini $(DEMO)/Kalmora11_0.ini settings

# Every test once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) test BUILD=build-sanitize CMAKE_FLAGS=-DKALMORA_SANITIZE=ON

clean:
	rm -rf $(BUILD) build-sanitize
