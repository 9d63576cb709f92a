# The commands of the README: make run, make test, make dist and the benchmark (make bench).
BUILD := build
CMAKE_FLAGS := -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: run test soak dist bench bootstrap

bootstrap:
	@scripts/bootstrap

# Configured once. The toolchain file counts only then, and CMake warns about it when it is
# given again; later builds configure again by themselves when a CMakeLists.txt changes.
$(BUILD)/build.ninja: | bootstrap
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

# Only what the run needs: the program and the helper that waits for its window and closes it.
run: bootstrap $(BUILD)/build.ninja
	@cmake --build $(BUILD) --target Morvek winctl
	@scripts/with-wine scripts/run-tool

test: bootstrap $(BUILD)/build.ninja
	@cmake --build $(BUILD)
	@scripts/with-wine scripts/run-tests

# The long forms of the tests that soak the program: a 61 MB history through ten deletes and
# undos, twenty rounds (of twenty commands) beside the search application's stand-in, thirty
# stopped deletes, 200 deletes watched by a reader and 20,000 generated files read both ways.
# 'make test' runs each in a short form.
soak: bootstrap $(BUILD)/build.ninja
	@cmake --build $(BUILD)
	@TNW_SOAK=1 scripts/with-wine scripts/run-tests -R '^(history|end_to_end|large_history)$$'

# The download for users: dist/Tarnwell-<version>.zip.
dist: bootstrap $(BUILD)/build.ninja
	@cmake --build $(BUILD) --target dist
	@mkdir -p dist
	@for zip in $(BUILD)/dist/Tarnwell-*.zip; do cp "$$zip" dist/ && echo "dist/$${zip##*/}"; done

bench: bootstrap $(BUILD)/build.ninja
	@cmake --build $(BUILD) --target morvek_bench morvek_soak
	@scripts/with-wine scripts/run-bench
