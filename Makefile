# SPDX-License-Identifier: GPL-3.0-or-later
# The two commands of the README: `make run` and `make check`. Everything else is for developers.
BUILD      ?= build
SANBUILD   ?= build-sanitize
FUZZBUILD  ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 30
# CI's builds make every warning an error (CI=true there).
WERROR     ?= $(if $(filter true,$(CI)),ON,OFF)
# make package builds without running the suites, which make check runs; empty them to run them.
DEB_BUILD_OPTIONS  ?= nocheck parallel=$(JOBS)
DEB_BUILD_PROFILES ?= nocheck
export DEB_BUILD_OPTIONS DEB_BUILD_PROFILES

.PHONY: all deps build run check screenshot bench limits sanitize fuzz fuzz-campaign install package package-test clean format format-check

all: build

deps:
	@bash scripts/deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTROUVE_WERROR=$(WERROR)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "Aucun affichage : lancez « xvfb-run make run » pour une session sans écran."; exit 1; fi
	$(BUILD)/app/trouve

check: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

screenshot: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/tests/screenshot docs/trouve.png

bench: build
	bash bench/run.sh $(BUILD)

# Line numbers and columns past 2^31 on real 2 GiB files, and a 1 GiB UTF-8 file that converted
# takes 2 GiB (2 GiB of disk, one file at a time); then, in the real window on a private X server,
# a 2.5 GiB file opened, searched and shown at its last line, with the window's peak memory
# (screenshots in bench/out/past-2g-window/). Both run; either failing fails the target.
limits: build
	status=0; bash bench/past_2g.sh $(BUILD) || status=1; \
	  bash bench/past_2g_window.sh $(BUILD) || status=1; exit $$status

sanitize: deps
	cmake -S . -B $(SANBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTROUVE_SANITIZE=ON -DTROUVE_WERROR=$(WERROR)
	cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -E '^test_window_x11$$'

fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROUVE_GUI=OFF -DTROUVE_FUZZ=ON -DTROUVE_WERROR=$(WERROR)
	cmake --build $(FUZZBUILD) -j $(JOBS)
	bash tests/fuzz/run.sh $(FUZZBUILD) $(FUZZ_SECONDS)

# Every fuzz target to 10 million executions or 30 minutes, two at a time; the grown corpora,
# minimized, replace the committed ones in tests/fuzz/corpus/.
fuzz-campaign: deps
	CXX=clang++ cmake -S . -B $(FUZZBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTROUVE_GUI=OFF -DTROUVE_FUZZ=ON -DTROUVE_WERROR=$(WERROR)
	cmake --build $(FUZZBUILD) -j $(JOBS)
	bash tests/fuzz/campaign.sh $(FUZZBUILD)

install: build
	cmake --install $(BUILD)

# The Debian package $(BUILD)/trouve_<version>_<arch>.deb, built by dpkg-buildpackage (debian/).
package: deps
	bash scripts/package.sh $(BUILD)

# As root: lintian, hardening-check, a second build in another folder that must give the same
# package; then installs the package, starts it from its menu entry, removes it.
package-test: package
	bash tests/package/check.sh $(BUILD)
	bash tests/package/install.sh $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

format-check:
	clang-format --dry-run -Werror $$(git ls-files '*.cpp' '*.h')
	bash scripts/spdx-headers.sh --check

clean:
	rm -rf $(BUILD) $(SANBUILD) $(FUZZBUILD)
