# The commands a newcomer needs; see README.md.
.PHONY: all deps test asan bench run package clean format artwork

JOBS ?= $(shell nproc)

all: test

deps:
	@scripts/install-deps

test: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev -j $(JOBS)
	ctest --preset dev -j $(JOBS)

asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)
	scripts/run-fuzzers build/asan

bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)
	scripts/run-benchmarks build/release

# Builds the program and starts it from a staged install: the sample parcelo.ini
# in build/stage/share/parcelo, and INSTALLPATH in the system scope of the
# settings, where an installer puts it (the program never writes it).
STAGE := $(abspath build/stage)

run: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS) --target parcelo
	mkdir -p $(STAGE)/share/parcelo $(STAGE)/etc/xdg/VELDAN
	cp res/parcelo.ini $(STAGE)/share/parcelo/parcelo.ini
	printf '[SETTINGS]\nINSTALLPATH=%s\n' '$(STAGE)/share/parcelo' > $(STAGE)/etc/xdg/VELDAN/Parcelo.conf
	XDG_CONFIG_DIRS="$(STAGE)/etc/xdg:$${XDG_CONFIG_DIRS:-/etc/xdg}" build/release/src/app/parcelo

# Redraws the pictures in res/images from tools/make-artwork.cpp.
artwork: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev --target make-artwork
	build/dev/tools/make-artwork res/images

# Builds the Debian package (build/release/parcelo_<version>_<arch>.deb) and
# checks what it installs; see tests/install/check-package.sh.
package: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS) --target parcelo
	ctest --test-dir build/release -L package --output-on-failure
	@ls build/release/parcelo_*.deb

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
