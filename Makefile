# make test    - install what is missing, build the three trees, run every suite the host can run, print the summary
# make release - install what is missing, build what a vendor ships into build/release/ (signed when SIGN_CERT
#                and SIGN_KEY name a PEM certificate and its key)
# make demo    - the vendor's flow on the demo files, in trees and a prefix of its own: a keyed Setup.exe, signed
#                packages, the one-file download build/demo/QstSetup.exe, started under Wine
# make bench   - decoder, mkpak (one thread and every core) and extraction benchmarks (optimised builds, prints
#                figures)
# make fuzz    - libFuzzer targets, FUZZ_SECONDS each (default 60)
SHELL := /bin/bash
B := $(CURDIR)/build
JOBS ?= $(shell nproc)

.PHONY: all bootstrap host win32 win64 build test release demo bench fuzz clean reset-prefix

all: build

bootstrap:
	@scripts/bootstrap

host: bootstrap
	@scripts/configure . $(B)/host -DSANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	@cmake --build $(B)/host -j$(JOBS)

# The two Windows trees: win32 (i686, the shipped build) and win64 (x86_64). The win64 tree's cross-build
# scenario also drives the win32 tree's Setup.exe, so win32 builds first.
WINDOWS_TREE = @scripts/configure --windows $(2) . $(B)/$(1) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOST_TOOLS_DIR=$(B)/host/tools $(3) && cmake --build $(B)/$(1) -j$(JOBS)

win32: host
	$(call WINDOWS_TREE,win32,i686,)

win64: host win32
	$(call WINDOWS_TREE,win64,x86_64,-DQS_OTHER_SETUP_EXE=$(B)/win32/src/setup/Setup.exe)

build: host win32 win64

test: build
	@scripts/run-tests

release: bootstrap
	@scripts/release

demo: bootstrap
	@scripts/demo

bench: bootstrap
	@scripts/bench

fuzz: bootstrap
	@scripts/fuzz

# The test prefixes and the demo's (with whatever the demo installed).
reset-prefix:
	@scripts/wine-run --reset && WINE_RUN_ARCH=win64 scripts/wine-run --reset && \
	  WINEPREFIX=$(B)/wineprefix-demo scripts/wine-run --reset && \
	  WINEPREFIX=$(B)/wineprefix-demo64 WINE_RUN_ARCH=win64 scripts/wine-run --reset

clean:
	rm -rf $(B)
