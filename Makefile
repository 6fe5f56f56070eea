# One-line entry points; each prints what it does. See README.md.
BUILD ?= build
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)

.PHONY: all deps build run test bench fuzz windows screenshot package release install clean compare

all: build

deps:
	@scripts/install_deps.sh

build: deps
	@echo "== configure and build ($(BUILD))"
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DLINTRA_BUILD_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

# Only the command and what it needs: no test tools, cross compilers or emulators.
run:
	@scripts/install_deps.sh run
	@echo "== configure and build the lintra command ($(BUILD))"
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DLINTRA_BUILD_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS) --target lintra
	@scripts/run_sample.sh $(BUILD)

test: build
	@echo "== tests"
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: deps
	@scripts/bench.sh

fuzz: deps
	@scripts/fuzz.sh

# Lintra beside other dot-crawl and rainbow filters; not part of `make test`.
compare: deps
	@BUILD=$(BUILD) scripts/compare.sh

windows: deps
	@scripts/build_windows.sh

screenshot: deps
	@scripts/screenshot.sh

# out/lintra_<version>_<arch>.deb, built in build-package/
package: deps
	@scripts/build_package.sh

# out/Lintra-<version>-windows-x86.zip and its .sha256, from build-win32/
release: deps
	@scripts/build_release.sh

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf build build-* out
