# The commands a newcomer types: `make run`, `make check` while working and `make test` before
# stopping. Each installs what is missing from Debian's packages first (as root), then
# configures and builds a Release build.

BUILD ?= build
CMAKE_FLAGS ?=

# What the build and the fast tests need, and what the program needs at run time: a CJK font
# for the Chinese, Qt's translations for Qt's own words, Qt's Wayland plugin.
DEPS := cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev fonts-noto-cjk \
        fonts-arphic-uming qt6-translations-l10n qt6-wayland
# What the rest of `make test` needs. The real-window tests: Xvfb and xdotool, the
# accessibility bus, trayer as an XEmbed tray, python3-gi for a StatusNotifier host on D-Bus,
# weston as a headless Wayland compositor, and the input methods they type Chinese through.
TEST_DEPS := xvfb xauth xdotool x11-utils imagemagick dbus dbus-x11 at-spi2-core python3-pyatspi \
             trayer qt6-gtk-platformtheme weston python3-gi
TEST_DEPS += ibus ibus-libpinyin fcitx5 fcitx5-chinese-addons fcitx5-frontend-qt6
# The packaging tests: the freedesktop validators, the .deb and lintian, the manual page.
TEST_DEPS += desktop-file-utils appstream dpkg-dev file man-db lintian
# The formatting check, the fuzzer (clang with its runtime) and the benchmarks' X11 watcher
# with its DAMAGE and XTest client libraries.
TEST_DEPS += clang-format clang libclang-rt-14-dev libx11-dev libxdamage-dev libxtst-dev
# The screen reader the real-window tests listen to: orca, speaking through speech-dispatcher's
# dummy voice to ALSA's null device; faketime runs the program's clock fast for the game.
TEST_DEPS += orca speech-dispatcher speech-dispatcher-audio-plugins faketime

.PHONY: all deps test-deps configure build run check test format format-check install package clean

all: build

# Installs the Debian packages of $(1) that are missing (as root, or through sudo).
define install-missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  if [ "$$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi; \
	  $$SUDO apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q --no-install-recommends $$missing; \
	fi
endef

# Configures build directory $(1) with the flags $(2) when it has none yet or was configured
# with other flags (a changed CMAKE_FLAGS, say).
define configure-if-changed
	@mkdir -p $(1); \
	if [ ! -f $(1)/build.ninja ] || [ "$$(cat $(1)/.kelvane-flags 2>/dev/null)" != "$(2)" ]; then \
	  cmake -S . -B $(1) -G Ninja $(2) && echo "$(2)" > $(1)/.kelvane-flags; \
	fi
endef

deps:
	$(call install-missing,$(DEPS))

test-deps:
	$(call install-missing,$(DEPS) $(TEST_DEPS))

configure: deps
	$(call configure-if-changed,$(BUILD),-DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS))

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/kelvane

# The fast loop: an incremental build, then the unit and behaviour tests (seconds).
check: build
	ctest --test-dir $(BUILD) -L fast --output-on-failure -j2

# Everything, as CI runs it: the formatting check, a bounded run of the score-file reader's
# fuzzer, the offscreen suite under AddressSanitizer and UBSan, then the whole suite on the
# Release build, whose summary closes the output.
test: test-deps build
	$(MAKE) --no-print-directory format-check fuzz test-sanitize
	ctest --test-dir $(BUILD) --output-on-failure -j2

# The C++ sources as clang-format lays them out (.clang-format); `make format` rewrites them.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format-check: test-deps
	clang-format --dry-run --Werror $(FORMAT_FILES)

format: test-deps
	clang-format -i $(FORMAT_FILES)

# The offscreen tests in a Debug build with AddressSanitizer (leaks included) and UBSan. The
# real-window and packaging tests check the Release build and are left out here.
ASAN_BUILD ?= $(BUILD)-asan
.PHONY: test-sanitize
test-sanitize: test-deps
	$(call configure-if-changed,$(ASAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DKELVANE_SANITIZE=ON $(CMAKE_FLAGS))
	cmake --build $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2 -LE '^(e2e|packaging)$$'

# libFuzzer on the INI lookup behind ReadIniValue, built with clang in a directory of its own,
# starting from the committed seed corpus (new inputs go to the build directory).
FUZZ_BUILD ?= $(BUILD)-fuzz
FUZZ_RUNS ?= 200000
.PHONY: fuzz
fuzz: test-deps
	$(call configure-if-changed,$(FUZZ_BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DKELVANE_FUZZ=ON -DBUILD_TESTING=OFF $(CMAKE_FLAGS))
	cmake --build $(FUZZ_BUILD) --target fuzz_inilookup
	rm -rf $(FUZZ_BUILD)/corpus && mkdir -p $(FUZZ_BUILD)/corpus
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/reliability/lsan.supp \
	  $(FUZZ_BUILD)/tests/reliability/fuzz/fuzz_inilookup -seed=1 -runs=$(FUZZ_RUNS) \
	  -max_total_time=300 -max_len=16384 -timeout=10 -print_final_stats=1 \
	  -artifact_prefix=$(FUZZ_BUILD)/ $(FUZZ_BUILD)/corpus tests/reliability/fuzz/corpus

# The long random-input soak on the Release build: 200 000 events; SOAK_SEED replays a run.
SOAK_EVENTS ?= 200000
SOAK_SEED ?= 936
.PHONY: soak
soak: build
	KELVANE_SOAK_EVENTS=$(SOAK_EVENTS) KELVANE_SOAK_SEED=$(SOAK_SEED) QT_QPA_PLATFORM=offscreen \
	  LC_ALL=C.UTF-8 ./$(BUILD)/tests/reliability/test_soak

# Installs into PREFIX (default /usr/local); DESTDIR stages the install elsewhere, e.g.
# `make install DESTDIR=/tmp/x`.
PREFIX ?=
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

# Builds the Debian package with CPack and copies it here: kelvane_<version>_<arch>.deb.
package: build
	rm -f $(BUILD)/kelvane_*.deb kelvane_*.deb
	cd $(BUILD) && cpack -G DEB
	cp $(BUILD)/kelvane_*.deb .

# Benchmarks against a bare Qt window, in a Release build of their own; prints one table.
# Not part of `make test`: the figures need a quiet machine and take a few minutes.
BENCH_BUILD ?= build-bench
BENCH_ARGS ?=
.PHONY: bench
bench: test-deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BENCHMARKS=ON \
	  -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) --target kelvane bench_reference bench_xwatch bench_inprocess
	python3 bench/run.py --build $(BENCH_BUILD) $(BENCH_ARGS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
