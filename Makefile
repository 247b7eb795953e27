# The two commands people need: `make demo` runs Mivex, `make check` runs every test.
# Both install what the project needs first (Debian packages, via scripts/install-deps).

BUILD_DIR ?= build
FUZZ_DIR ?= $(BUILD_DIR)/libfuzzer
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: all deps configure build check test fuzz demo bench install format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Unit and integration tests, corpus replays and benchmark smoke runs, then
# every fuzz target for a bounded time under clang's libFuzzer and sanitizers.
check: test fuzz

# A test without a limit of its own gets five minutes, so a hang fails the run
# instead of stalling it.
test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure --timeout 300 -j $(JOBS)

fuzz: deps
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
		-DCMAKE_CXX_COMPILER=clang++ -DMIVEX_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@ctest --test-dir $(FUZZ_DIR) --output-on-failure

# The desktop program against its built-in simulated phone, in a throw-away
# data directory. Without a display it says so and shows the command-line
# client at work instead.
demo: configure
	@if [ -n "$${DISPLAY}$${WAYLAND_DISPLAY}" ]; then \
		cmake --build $(BUILD_DIR) -j $(JOBS) --target mivex && $(BUILD_DIR)/bin/mivex --demo; \
	else \
		echo "demo: no display (DISPLAY and WAYLAND_DISPLAY are unset), so here is mivex-cli instead"; \
		cmake --build $(BUILD_DIR) -j $(JOBS) --target mivex-cli mivex-phonesim && \
			scripts/demo $(BUILD_DIR); \
	fi

# The rescanning Inbox reference alone takes about five minutes at full size.
bench: build
	@$(BUILD_DIR)/bench/mivex_sms_bench
	@$(BUILD_DIR)/bench/phone/mivex_link_bench
	@$(BUILD_DIR)/bench/store/mivex_store_bench
	@$(BUILD_DIR)/bench/contacts/mivex_contacts_bench
	@$(BUILD_DIR)/bench/transfer/mivex_transfer_bench
	@$(BUILD_DIR)/bench/app/mivex_app_bench

# The programs, manual pages, help page, desktop entry, icon and AppStream
# metadata under $(PREFIX); `make install PREFIX=~/.local` needs no root.
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR)
