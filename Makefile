# make test    - install what is missing, build both trees, run every suite, print the summary
# make release - install what is missing, build what a vendor ships into build/release/ (signed when SIGN_CERT
#                and SIGN_KEY name a PEM certificate and its key)
# make demo    - build, lay out the demo media folder with the release Setup.exe and start it under Wine
# make bench   - decoder, mkpak (one thread and every core) and extraction benchmarks (optimised builds, prints
#                figures)
# make fuzz    - libFuzzer targets, FUZZ_SECONDS each (default 60)
SHELL := /bin/bash
B := $(CURDIR)/build
JOBS ?= $(shell nproc)

.PHONY: all bootstrap host win32 build test release demo bench fuzz clean reset-prefix

all: build

bootstrap:
	@scripts/bootstrap

host: bootstrap
	@mkdir -p $(B)
	@cmake -S . -B $(B)/host -DSANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >$(B)/host-configure.log 2>&1 || { cat $(B)/host-configure.log; exit 1; }
	@cmake --build $(B)/host -j$(JOBS)

win32: host
	@cmake -S . -B $(B)/win32 -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOST_TOOLS_DIR=$(B)/host/tools >$(B)/win32-configure.log 2>&1 || { cat $(B)/win32-configure.log; exit 1; }
	@cmake --build $(B)/win32 -j$(JOBS)

build: host win32

test: build
	@scripts/run-tests

release: bootstrap
	@scripts/release

demo: build release
	@scripts/demo

bench: bootstrap
	@scripts/bench

fuzz: bootstrap
	@scripts/fuzz

reset-prefix:
	@scripts/wine-run --reset

clean:
	rm -rf $(B)
