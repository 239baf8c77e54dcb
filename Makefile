# The two commands a newcomer types: `make run` and `make test`. Both install what is missing
# from Debian's packages first (as root), then configure and build a Release build.

BUILD ?= build
CMAKE_FLAGS ?=

# Build and test tools, and what the program needs at run time (a CJK font for the Chinese).
DEPS := cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev fonts-noto-cjk fonts-arphic-uming \
        xvfb xauth xdotool x11-utils imagemagick dbus dbus-x11 at-spi2-core python3-pyatspi \
        trayer desktop-file-utils appstream dpkg-dev file clang libclang-rt-14-dev \
        qt6-gtk-platformtheme man-db libx11-dev

.PHONY: all deps configure build run test install package clean

all: build

deps:
	@missing=$$(for p in $(DEPS); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing missing packages:" $$missing; \
	  if [ "$$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi; \
	  $$SUDO apt-get update -q && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -q --no-install-recommends $$missing; \
	fi

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/kelvane

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

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
bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVANE_BENCHMARKS=ON \
	  -DBUILD_TESTING=OFF $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) --target kelvane bench_reference bench_mapwatch bench_inprocess
	python3 bench/run.py --build $(BENCH_BUILD) $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
