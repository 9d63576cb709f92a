# The two set-up commands of the README (make run, make test) and the benchmark (make bench).
BUILD := build
CMAKE_FLAGS := -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: run test bench build bootstrap

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)

run: build
	@scripts/with-wine scripts/run-tool

test: build
	@scripts/with-wine ctest --test-dir $(BUILD) --output-on-failure --timeout 300

bench: build
	@scripts/with-wine scripts/run-bench
