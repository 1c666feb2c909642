# Thin wrapper over scripts/install-deps.sh and the CMake presets.
.PHONY: run test deps build release asan fuzz clean

deps:
	@scripts/install-deps.sh

release: deps
	cmake --preset release
	cmake --build --preset release

# Installs what is missing, builds, and starts Kelmarin on the bundled samples.
run: release
	build/release/src/app/kelmarin build/release/samples

build: deps
	cmake --preset dev
	cmake --build --preset dev

# Installs what is missing, builds, and runs every test.
test: build
	ctest --preset dev

asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzzers.sh build/fuzz $${FUZZ_SECONDS:-60}

clean:
	rm -rf build
